#include "filemode/VerifyServerLocation.h"

#include "core/Display.h"
#include "filemode/DataFiles.h"
#include "state/Panel.h"

#include <QDir>

using namespace DataFiles;

namespace {

// What the check found in the directory, loaded off the GUI thread.
struct VerifyLoad {
    VerifyResult result = VerifyResult::Verified;
    int status = 0;
    std::optional<AlphaTables> alpha;
};

VerifyLoad Load(const QString& path)
{
    VerifyLoad load;
    const Directory dir(path);
    if (!Locate(dir, ExtAlpha, Alpha)) {
        load.result = VerifyResult::NamesMissing;
    } else if (!Locate(dir, ExtInhibit, Inhibit)) {
        load.result = VerifyResult::InhibitsMissing;
    } else if (!Locate(dir, ExtXptmap, Xptmap)) {
        load.result = VerifyResult::CrosspointMissing;
    } else {
        const auto statusFile = dir.find(Status);
        const auto status = statusFile ? LoadStatusByte(*statusFile) : std::nullopt;
        if (!status) {
            load.result = VerifyResult::StatusMissing;
            return load;
        }
        load.status = *status;
        const auto alpha = Locate(dir, ExtAlpha, Alpha);
        load.alpha = alpha ? LoadAlpha(*alpha) : std::nullopt;
    }
    return load;
}

QString FailureText(VerifyResult result)
{
    switch (result) {
    case VerifyResult::NamesMissing: return QStringLiteral("Server Alphas Data File Not Found!");
    case VerifyResult::InhibitsMissing: return QStringLiteral("Server Inhibit Data File Not Found!");
    case VerifyResult::CrosspointMissing: return QStringLiteral("Server Crosspoint Data File Not Found!");
    default: return QStringLiteral("Server Status Data File Not Found!");
    }
}

void Fail(Panel& panel, VerifyResult result, const std::function<void(VerifyResult)>& done)
{
    panel.prompts.message(FailureText(result), QStringLiteral("Error Reading File"), MsgIcon::Critical,
                          MsgButtons::Ok, [done, result](MsgResult) { done(result); });
}

void ChannelMessage(Panel& panel, int channel, std::function<void()> then)
{
    panel.prompts.message(QStringLiteral("Ch. %1 is an invalid Output Channel.\rPlease select a new output channel")
                              .arg(channel + 1),
                          QStringLiteral("Channel Error"), MsgIcon::Critical, MsgButtons::Ok,
                          [then = std::move(then)](MsgResult) { then(); });
}

// Steps after the verified message: fill the destination box and select the controlled destination.
void FillDestinations(Panel& panel, int& setupOutputListIndex, const std::function<void(VerifyResult)>& done)
{
    PanelState& s = panel.s;
    panel.view.clearOutputSelect();
    for (int p = 0; p < s.NumOutputs; ++p) {
        const int channel = s.OutputChannelList[static_cast<std::size_t>(p)];
        panel.view.addOutputSelectItem(ChannelEntry(s.OutputAlphaList[static_cast<std::size_t>(p)], channel));
        if (channel == s.OutputControlled)
            setupOutputListIndex = p;
    }
    const auto select = [&panel, &setupOutputListIndex, done] {
        panel.s.Updating = true;
        panel.view.setOutputSelectIndex(setupOutputListIndex);
        panel.s.Updating = false;
        done(VerifyResult::Verified);
    };
    // A channel that does not exist ("{{{{{{{{") is refused like one beyond the list.
    const auto checkExists = [&panel, &setupOutputListIndex, select] {
        if (panel.s.OutputAlphaList[static_cast<std::size_t>(setupOutputListIndex)] != PlaceholderName) {
            select();
            return;
        }
        ChannelMessage(panel, panel.s.OutputControlled, [&setupOutputListIndex, select] {
            setupOutputListIndex = 0;
            select();
        });
    };
    if (setupOutputListIndex <= s.NumOutputs - 1 && setupOutputListIndex >= 0) {
        checkExists();
        return;
    }
    ChannelMessage(panel, s.OutputControlled, [&setupOutputListIndex, checkExists] {
        setupOutputListIndex = 0;
        checkExists();
    });
}

} // namespace

void VerifyServerLocation(Panel& panel, const QString& directory, int& setupOutputListIndex,
                          std::function<void(VerifyResult)> done)
{
    if (panel.s.TcpIpMode) {
        done(VerifyResult::Ignored);
        return;
    }
    QString path = directory;
    if (!path.endsWith(u'/') && !path.endsWith(QDir::separator()))
        path += QDir::separator();

    RunOffThread<VerifyLoad>(
        panel.worker, [path] { return Load(path); },
        [&panel, &setupOutputListIndex, done = std::move(done)](std::optional<VerifyLoad> answer) {
            PanelState& s = panel.s;
            // No answer in time (a share that stopped answering): the names were not found.
            VerifyLoad* const load = answer ? &*answer : nullptr;
            if (!load || load->result != VerifyResult::Verified) {
                Fail(panel, load ? load->result : VerifyResult::NamesMissing, done);
                return;
            }
            s.ServerStatus = load->status;
            if (s.ServerStatus == 1)
                panel.view.setStatusText(2, QStringLiteral("OK"));
            else if (s.ServerStatus == 0)
                panel.view.setStatusText(2, QStringLiteral("NC"));
            // The names come from the directory under test; it becomes ServerPath only when the
            // dialog is accepted, so the time of the alpha file in use is kept.
            if (!load->alpha) {
                Fail(panel, VerifyResult::NamesMissing, done);
                return;
            }
            const qint64 alphaTime = s.AlphaFileTime;
            ApplyAlpha(s, std::move(*load->alpha));
            s.AlphaFileTime = alphaTime;

            panel.prompts.message(QStringLiteral("ZEB Kelvane location has been verified.\r"
                                                 "You may now select the Destination to be\r"
                                                 "controlled and set the Stay on Top option"),
                                  QStringLiteral("Server Location Verified"), MsgIcon::Exclamation, MsgButtons::Ok,
                                  [&panel, &setupOutputListIndex, done](MsgResult) {
                                      FillDestinations(panel, setupOutputListIndex, done);
                                  });
        },
        ServerFileTimeout);
}
