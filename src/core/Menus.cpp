#include "core/Menus.h"

#include "core/Display.h"
#include "core/OverPanel.h"
#include "state/Panel.h"

namespace {

// A dialog command: one dialog over the lowered panel, then the command's own steps.
void dialogCommand(Panel& panel, Dialog dialog, std::function<void()> after = {})
{
    OverPanel(panel, [&panel, dialog, after = std::move(after)](ChainDone done) {
        panel.prompts.showDialog(dialog, QString(), [after, done](const QString&) {
            if (after)
                after();
            done();
        });
    });
}

} // namespace

void mnuSetup_Click(Panel& panel)
{
    OverPanel(panel, [&panel](ChainDone done) {
        panel.prompts.showDialog(Dialog::Login, QString(), [&panel, done](const QString&) {
            if (!panel.s.LoggedIn) {
                done();
                return;
            }
            panel.prompts.showDialog(Dialog::Setup, InitialTag, [done](const QString&) { done(); });
        });
    });
}

void mnuPassword_Click(Panel& panel)
{
    dialogCommand(panel, Dialog::Password);
}

void mnuDsiplayList_Click(Panel& panel)
{
    dialogCommand(panel, Dialog::DisplayList, [&panel] { UpdateAlphaData(panel); });
}

void mnuAbout_Click(Panel& panel)
{
    dialogCommand(panel, Dialog::About);
}

void mnuConnect_Click(Panel& panel)
{
    if (panel.s.Connected)
        panel.server.DisconnectSocket();
    else
        panel.server.ConnectSocket();
}

void mnuContents_Click(Panel& panel)
{
    if (panel.prompts.openHelp())
        return;
    // The viewer runs beside the panel; only the message needs the window lowered.
    const QString page = panel.prompts.helpPage();
    const QString text = page.isEmpty()
        ? QStringLiteral("The help page could not be found beside the program.")
        : QStringLiteral("The help page could not be opened: no viewer for it could be started.\r"
                         "It is the file %1\rand can be opened in any web browser.")
              .arg(page);
    OverPanel(panel, [&panel, text](ChainDone done) {
        panel.prompts.message(text, QStringLiteral("Help"), MsgIcon::Information, MsgButtons::Ok,
                              [done](MsgResult) { done(); });
    });
}
