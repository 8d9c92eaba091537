#include "filemode/VerifyServerLocation.h"

#include "filemode/DataFiles.h"
#include "state/Panel.h"

#include <QDir>

using namespace DataFiles;

namespace {

VerifyResult Fail(Panel& panel, VerifyResult result, const QString& text)
{
    panel.prompts.message(text, QStringLiteral("Error Reading File"), MsgIcon::Critical, MsgButtons::Ok);
    return result;
}

void ChannelMessage(Panel& panel)
{
    panel.prompts.message(QStringLiteral("Ch. %1 is an invalid Output Channel.\rPlease select a new output channel")
                              .arg(panel.s.OutputControlled + 1),
                          QStringLiteral("Channel Error"), MsgIcon::Critical, MsgButtons::Ok);
}

} // namespace

VerifyResult VerifyServerLocation(Panel& panel, const QString& directory, int& setupOutputListIndex)
{
    PanelState& s = panel.s;
    if (s.TcpIpMode)
        return VerifyResult::Ignored;
    QString path = directory;
    if (!path.endsWith(u'/') && !path.endsWith(QDir::separator()))
        path += QDir::separator();
    const Directory dir(path);

    if (!Locate(dir, ExtAlpha, Alpha))
        return Fail(panel, VerifyResult::NamesMissing, QStringLiteral("Server Alphas Data File Not Found!"));
    if (!Locate(dir, ExtInhibit, Inhibit))
        return Fail(panel, VerifyResult::InhibitsMissing, QStringLiteral("Server Inhibit Data File Not Found!"));
    if (!Locate(dir, ExtXptmap, Xptmap))
        return Fail(panel, VerifyResult::CrosspointMissing, QStringLiteral("Server Crosspoint Data File Not Found!"));
    const auto statusFile = dir.find(Status);
    const auto status = statusFile ? ReadStatusByte(*statusFile) : std::nullopt;
    if (!status)
        return Fail(panel, VerifyResult::StatusMissing, QStringLiteral("Server Status Data File Not Found!"));
    s.ServerStatus = *status;
    if (s.ServerStatus == 1)
        panel.view.setStatusText(2, QStringLiteral("OK"));
    else if (s.ServerStatus == 0)
        panel.view.setStatusText(2, QStringLiteral("NC"));

    // The names come from the directory under test; it becomes ServerPath only when the dialog is
    // accepted, so the time of the alpha file in use is kept.
    const qint64 alphaTime = s.AlphaFileTime;
    const auto alpha = Locate(dir, ExtAlpha, Alpha);
    const bool read = alpha && ReadAlpha(s, *alpha);
    s.AlphaFileTime = alphaTime;
    if (!read)
        return Fail(panel, VerifyResult::NamesMissing, QStringLiteral("Server Alphas Data File Not Found!"));

    panel.prompts.message(QStringLiteral("ZEB Kelvane location has been verified.\r"
                                         "You may now select the Destination to be\r"
                                         "controlled and set the Stay on Top option"),
                          QStringLiteral("Server Location Verified"), MsgIcon::Exclamation, MsgButtons::Ok);

    panel.view.clearOutputSelect();
    for (int p = 0; p < s.NumOutputs; ++p) {
        const int channel = s.OutputChannelList[static_cast<std::size_t>(p)];
        panel.view.addOutputSelectItem(s.OutputAlphaList[static_cast<std::size_t>(p)] + QStringLiteral("   (ch ")
                                       + QString::number(channel + 1) + QLatin1Char(')'));
        if (channel == s.OutputControlled)
            setupOutputListIndex = p;
    }
    if (setupOutputListIndex > s.NumOutputs - 1 || setupOutputListIndex < 0) {
        ChannelMessage(panel);
        setupOutputListIndex = 0;
    }
    if (s.OutputAlphaList[static_cast<std::size_t>(setupOutputListIndex)] == PlaceholderName) {
        ChannelMessage(panel);
        setupOutputListIndex = 0;
    }
    s.Updating = true;
    panel.view.setOutputSelectIndex(setupOutputListIndex);
    s.Updating = false;
    return VerifyResult::Verified;
}
