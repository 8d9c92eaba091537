#include "dialogs/Setup.h"

#include "core/Display.h"
#include "filemode/VerifyServerLocation.h"
#include "state/Panel.h"
#include "storage/Settings.h"

#include <QDir>

#include <cmath>
#include <limits>

namespace {

// A typed number: its leading numeric part, to the nearest whole number (halves to even), held
// in 32 bits. A number beyond 32 bits becomes the nearest 32-bit limit, which every range check
// below rejects.
int ReadNumber(const QString& text)
{
    const double v = std::nearbyint(SettingsText::leadingNumber(text.toLatin1()));
    if (v >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

void InputError(Panel& panel, const QString& range)
{
    panel.prompts.message(QStringLiteral("Please enter a value between ") + range, QStringLiteral("Input Error"),
                          MsgIcon::None, MsgButtons::Ok);
}

void Reconnect(Panel& panel)
{
    panel.server.DisconnectSocket();
    panel.server.ConnectSocket();
}


void FillOutputSelect(Panel& panel)
{
    PanelState& s = panel.s;
    panel.view.clearOutputSelect();
    s.Updating = true;
    const int count = std::min<int>(s.NumOutputs, static_cast<int>(std::min(s.OutputAlphaList.size(), s.OutputChannelList.size())));
    if (s.TcpIpMode && s.PanelPopulated && count > 0) {
        for (int p = 0; p < count; ++p)
            panel.view.addOutputSelectItem(ChannelEntry(s.OutputAlphaList[static_cast<std::size_t>(p)],
                                                        s.OutputChannelList[static_cast<std::size_t>(p)]));
        panel.view.setOutputSelectIndex(s.OutputListIndex);
    } else {
        panel.view.addOutputSelectItem(QStringLiteral("Server Not Verified"));
        panel.view.setOutputSelectIndex(0);
    }
    s.Updating = false;
}

} // namespace

void Setup_optFileClick(SetupForm& form)
{
    form.optTCPIP = false;
    form.frIPModeVisible = false;
    form.frFileModeVisible = true;
    form.cmboOutputSelectEnabled = false;
    form.cmdOkEnabled = false;
    form.ChkHideInhibitsEnabled = false;
    form.chkStayOnTopEnabled = false;
    form.cmdVerifyServerEnabled = true;
}

void Setup_optTCPIPClick(SetupForm& form)
{
    form.optTCPIP = true;
    form.frIPModeVisible = true;
    form.frFileModeVisible = false;
    form.cmboOutputSelectEnabled = true;
    form.ChkHideInhibitsEnabled = true;
    form.chkStayOnTopEnabled = true;
    form.cmdOkEnabled = true;
    form.cmdVerifyServerEnabled = false;
}

namespace {

// Steps of the opening after the server directory has been pointed at.
void FinishActivate(Panel& panel, SetupForm& form)
{
    PanelState& s = panel.s;
    FillOutputSelect(panel);

    form.chkStayOnTop = s.StayOnTop == TopMost;
    form.ChkHideInhibits = s.HideInhibits;

    form.txtRefresh = QString::number(s.RefreshRate);
    form.txtTimeout = QString::number(s.FileTimeOut);
    form.txtPollRate = QString::number(s.PollRate);
    form.txtIPTimeOut = QString::number(s.IpTimeOut);
    form.txtIpPort = QString::number(s.IpPort);
    form.txtIP = s.IpAddress;
    form.txtPassword = s.IpPassword;

    // Selecting an option that was not selected runs its click as well; re-selecting the selected
    // one does not, which leaves chkStayOnTop disabled in TCP/IP mode.
    const bool wasTcpIp = form.optTCPIP;
    if (s.TcpIpMode) {
        if (!wasTcpIp)
            Setup_optTCPIPClick(form);
        form.optTCPIP = true;
        form.frIPModeVisible = true;
        form.frFileModeVisible = false;
        form.cmboOutputSelectEnabled = true;
        form.ChkHideInhibitsEnabled = true;
        form.cmdVerifyServerEnabled = false;
        form.cmdOkEnabled = true;
    } else {
        if (wasTcpIp)
            Setup_optFileClick(form);
        form.optTCPIP = false;
        form.frIPModeVisible = false;
        form.frFileModeVisible = true;
        form.cmboOutputSelectEnabled = false;
        form.cmdVerifyServerEnabled = true;
        form.cmdOkEnabled = false;
    }
    form.waiting = false;
}

} // namespace

void Setup_Activate(Panel& panel, SetupForm& form, std::function<void()> done)
{
    PanelState& s = panel.s;
    if (form.Tag != SetupInitialTag)
        return;
    form.cmboOutputSelectEnabled = false;
    form.chkStayOnTopEnabled = false;
    form.cmdOkEnabled = false;
    form.ChkHideInhibitsEnabled = false;
    form.focus = SetupField::None;
    form.windowOrder = 0;
    form.Tag.clear();

    form.SetupOutputListIndex = s.OutputListIndex;
    form.SetupFileTimeOut = s.FileTimeOut;
    form.SetupRefreshRate = s.RefreshRate;

    if (s.ServerPath.isEmpty()) {
        FinishActivate(panel, form);
        done();
        return;
    }
    // The server directory may lie on a share that stopped answering: it is looked at off the GUI
    // thread, and one that does not answer in time cannot be shown.
    form.waiting = true;
    const QString path = s.ServerPath;
    RunOffThread<bool>(
        panel.worker, [path] { return QDir(path).exists(); },
        [&panel, &form, path, done = std::move(done)](std::optional<bool> exists) {
            if (exists.value_or(false)) {
                Setup_DirectoryChange(form, path);
                FinishActivate(panel, form);
                done();
                return;
            }
            panel.prompts.message(QStringLiteral("Invalid Drive"), QStringLiteral("Drive Error"), MsgIcon::None,
                                  MsgButtons::Ok, [&panel, &form, done](MsgResult) {
                                      QString own = panel.s.AppDir;
                                      while (own.size() > 1 && (own.endsWith(u'/') || own.endsWith(QDir::separator())))
                                          own.chop(1);
                                      panel.s.ServerPath = own;
                                      Setup_DirectoryChange(form, own);
                                      FinishActivate(panel, form);
                                      done();
                                  });
        },
        ServerFileTimeout);
}

void Setup_OutputSelectClick(Panel& panel, SetupForm& form, int position)
{
    if (!panel.s.Updating)
        form.SetupOutputListIndex = position;
}

void Setup_DirectoryChange(SetupForm& form, const QString& directory)
{
    form.directory = directory;
    form.cmboOutputSelectEnabled = false;
    form.chkStayOnTopEnabled = false;
    form.cmdOkEnabled = false;
}

bool Setup_DriveChange(Panel& panel, SetupForm& form, const QString& driveRoot)
{
    form.cmboOutputSelectEnabled = false;
    form.chkStayOnTopEnabled = false;
    form.cmdOkEnabled = false;
    const QDir drive(driveRoot);
    if (driveRoot.isEmpty() || !drive.exists() || !drive.isReadable()) {
        panel.prompts.message(QStringLiteral("Drive Error!"), QStringLiteral("Error"), MsgIcon::Exclamation,
                              MsgButtons::Ok);
        return false;
    }
    Setup_DirectoryChange(form, driveRoot);
    return true;
}

void Setup_Verify(Panel& panel, SetupForm& form, std::function<void(bool close)> done)
{
    form.waiting = true;
    VerifyServerLocation(panel, form.directory, form.SetupOutputListIndex,
                         [&form, done = std::move(done)](VerifyResult result) {
                             form.waiting = false;
                             switch (result) {
                             case VerifyResult::Ignored:
                                 break;
                             case VerifyResult::Verified:
                                 form.cmdOkEnabled = true;
                                 form.cmboOutputSelectEnabled = true;
                                 form.chkStayOnTopEnabled = true;
                                 form.ChkHideInhibitsEnabled = true;
                                 break;
                             case VerifyResult::CrosspointMissing:
                                 Setup_Cancel(form);
                                 done(true);
                                 return;
                             case VerifyResult::NamesMissing:
                             case VerifyResult::InhibitsMissing:
                             case VerifyResult::StatusMissing:
                                 form.cmboOutputSelectEnabled = false;
                                 break;
                             }
                             done(false);
                         });
}

bool Setup_CheckAddress(QString& txtIP)
{
    const qsizetype dot1 = txtIP.indexOf(u'.');
    if (dot1 < 0)
        return false;
    const qsizetype dot2 = txtIP.indexOf(u'.', dot1 + 1);
    if (dot2 < 0)
        return false;
    const qsizetype dot3 = txtIP.indexOf(u'.', dot2 + 1);
    if (dot3 < 0 || dot3 + 1 >= txtIP.size())
        return false;
    const QString parts[4] = {txtIP.left(dot1), txtIP.mid(dot1 + 1, dot2 - dot1 - 1),
                              txtIP.mid(dot2 + 1, dot3 - dot2 - 1), txtIP.mid(dot3 + 1)};
    QStringList values;
    for (const QString& part : parts)
        values << QString::number(std::clamp(ReadNumber(part), 0, 255));
    txtIP = values.join(u'.');
    return true;
}

namespace {

// OK's steps once the connection or the network data files are settled: window order and hidden
// inhibits, the settings file, the main window.
void FinishOk(Panel& panel, SetupForm& form, const std::function<void(bool hide)>& done)
{
    PanelState& s = panel.s;
    s.StayOnTop = form.chkStayOnTop ? TopMost : NotTopMost;
    s.HideInhibits = form.ChkHideInhibits;
    form.windowOrder = s.StayOnTop;

    if (!WriteSettings(panel)) {
        panel.prompts.message(QStringLiteral("Error Writing Zebntpnl.ini File"), QStringLiteral("Error Writing File"),
                              MsgIcon::Critical, MsgButtons::Ok);
        done(false);
        return;
    }

    if (!s.TcpIpMode || s.SystemReady) {
        const auto p = static_cast<std::size_t>(s.OutputListIndex);
        const QString name = p < s.OutputAlphaList.size() ? s.OutputAlphaList[p] : QString();
        panel.view.setStatusText(1, DestinationStatus(name, s.OutputControlled));
        UpdateAlphaData(panel);
        panel.view.setSourceBoxEnabled(true);
    } else {
        panel.view.setStatusText(1, QStringLiteral("No System"));
    }
    done(true);
}

} // namespace

namespace {

// OK's steps 1 and 2: the mode, address and port, with their reconnections, before the other
// fields are checked. False (after its message) when the address or the port is not accepted.
bool ApplyConnection(Panel& panel, SetupForm& form)
{
    PanelState& s = panel.s;
    if (!form.optTCPIP) {
        if (s.TcpIpMode) {
            s.TcpIpMode = false;
            panel.server.DisconnectSocket();
            panel.view.setMenuEnabled(MenuCommand::Connect, false);
        }
        return true;
    }
    if (!Setup_CheckAddress(form.txtIP)) {
        panel.prompts.message(QStringLiteral("Please Enter IP Address In The Following Format: 192.168.1.1"),
                              QStringLiteral("Data Format Error"), MsgIcon::Critical, MsgButtons::Ok);
        form.txtIP = s.IpAddress;
        form.focus = SetupField::txtIP;
        return false;
    }
    const int port = ReadNumber(form.txtIpPort);
    if (port < 1 || port > MaxIpPort) {
        panel.prompts.message(QStringLiteral("Invalid IP Port #. Please reenter a number between 1 and %1").arg(MaxIpPort),
                              QStringLiteral("Port Error"), MsgIcon::None, MsgButtons::Ok);
        return false;
    }
    if (port != s.IpPort) {
        s.IpPort = port;
        Reconnect(panel);
    }
    if (!s.TcpIpMode) {
        s.TcpIpMode = true;
        s.IpAddress = form.txtIP;
        s.IpPort = port;
        Reconnect(panel);
        panel.view.setMenuEnabled(MenuCommand::Connect, true);
    }
    if (form.txtIP != s.IpAddress) {
        s.IpAddress = form.txtIP;
        Reconnect(panel);
    }
    return true;
}

// OK's steps 3 to 6: each number in turn is checked and stored; the first out of its range ends
// OK with its message. Intervals and tick counts are 32-bit ints: a poll rate of 3600 s gives a
// timer interval of 3,600,000 ms, and a refresh of 1 ms with a time-out of 3600 s gives 3,600,000
// ticks, both well within range (a 16-bit count would stop at a 32 s poll rate).
bool ApplyNumbers(Panel& panel, const SetupForm& form)
{
    PanelState& s = panel.s;
    const struct {
        const QString& text;
        int max;
        int& setting;
    } fields[] = {{form.txtPollRate, MaxPollRate, s.PollRate},
                  {form.txtRefresh, MaxRefreshRate, s.RefreshRate},
                  {form.txtTimeout, MaxTimeOut, s.FileTimeOut},
                  {form.txtIPTimeOut, MaxTimeOut, s.IpTimeOut}};
    for (const auto& field : fields) {
        const int value = ReadNumber(field.text);
        if (value < 1 || value > field.max) {
            InputError(panel, QStringLiteral("1 and %1").arg(field.max));
            return false;
        }
        field.setting = value;
    }
    return true;
}

} // namespace

void Setup_Ok(Panel& panel, SetupForm& form, std::function<void(bool hide)> done)
{
    PanelState& s = panel.s;
    form.focus = SetupField::None;
    form.windowOrder = 0;
    const bool wasTcpIp = s.TcpIpMode;
    if (!ApplyConnection(panel, form) || !ApplyNumbers(panel, form)) {
        done(false);
        return;
    }
    s.IpPassword = form.txtPassword;

    s.OutputListIndex = form.SetupOutputListIndex;
    if (s.OutputListIndex >= 0 && static_cast<std::size_t>(s.OutputListIndex) < s.OutputChannelList.size())
        s.OutputControlled = s.OutputChannelList[static_cast<std::size_t>(s.OutputListIndex)];

    if (!s.TcpIpMode) {
        QString path = form.directory;
        if (!path.endsWith(u'/') && !path.endsWith(QDir::separator()))
            path += QDir::separator();
        s.ServerPath = path;
        // From TCP/IP mode the timer still ticks at the poll rate: it is re-armed whatever changed.
        if (wasTcpIp || s.RefreshRate != form.SetupRefreshRate || s.FileTimeOut != form.SetupFileTimeOut) {
            panel.server.setPollInterval(s.RefreshRate);
            s.FileTimeOutTicks = static_cast<int>(std::nearbyint(1000.0 / s.RefreshRate * s.FileTimeOut));
        }
        // The files are read off the GUI thread; the dialog waits for them without blocking. Once
        // the operator has cancelled, their answer finishes nothing of this OK.
        form.waiting = true;
        panel.server.ReadNetworkFiles([&panel, &form, cancels = form.cancels, done = std::move(done)](bool read) {
            if (form.cancels != cancels)
                return;
            form.waiting = false;
            if (!read) {
                panel.s.ServerPath.clear();
                panel.view.setStatusText(1, QStringLiteral("Destination Controlled (NC) "));
                done(false);
                return;
            }
            FinishOk(panel, form, done);
        });
        return;
    }
    panel.server.setPollInterval(s.PollRate * 1000);
    FinishOk(panel, form, done);
}

void Setup_Cancel(SetupForm& form)
{
    form.Tag = SetupCancelTag;
    ++form.cancels;
}

bool Setup_KeyAdmitted(SetupField field, QChar key)
{
    if (field == SetupField::txtPassword || key == QChar(8))
        return true;
    if (key >= u'0' && key <= u'9')
        return true;
    return field == SetupField::txtIP && key == u'.';
}
