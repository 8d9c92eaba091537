#include "core/Menus.h"

#include "core/Display.h"
#include "state/Panel.h"

namespace {

// A dialog command: the main window leaves the topmost layer, so that no dialog is hidden behind
// the panel, the dialog opens, and once it has closed (and after the command's own steps) the
// window goes back to its chosen order.
void dialogCommand(Panel& panel, Dialog dialog, const QString& tag = {}, Prompts::Closed after = {})
{
    panel.view.setWindowOrder(NotTopMost);
    panel.prompts.showDialog(dialog, tag, [&panel, after = std::move(after)](const QString& closedTag) {
        if (after)
            after(closedTag);
        panel.view.setWindowOrder(panel.s.StayOnTop);
    });
}

} // namespace

void mnuSetup_Click(Panel& panel)
{
    panel.view.setWindowOrder(NotTopMost);
    panel.prompts.showDialog(Dialog::Login, QString(), [&panel](const QString&) {
        if (!panel.s.LoggedIn) {
            panel.view.setWindowOrder(panel.s.StayOnTop);
            return;
        }
        panel.prompts.showDialog(Dialog::Setup, InitialTag,
                                 [&panel](const QString&) { panel.view.setWindowOrder(panel.s.StayOnTop); });
    });
}

void mnuPassword_Click(Panel& panel)
{
    dialogCommand(panel, Dialog::Password);
}

void mnuDsiplayList_Click(Panel& panel)
{
    dialogCommand(panel, Dialog::DisplayList, {}, [&panel](const QString&) { UpdateAlphaData(panel); });
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
    panel.view.setWindowOrder(NotTopMost);
    const QString page = panel.prompts.helpPage();
    panel.prompts.message(page.isEmpty() ? QStringLiteral("The help page could not be found beside the program.")
                                         : QStringLiteral("The help page could not be opened: no viewer for it could be started.\r"
                                                          "It is the file %1\rand can be opened in any web browser.")
                                               .arg(page),
                          QStringLiteral("Help"), MsgIcon::Information, MsgButtons::Ok,
                          [&panel](MsgResult) { panel.view.setWindowOrder(panel.s.StayOnTop); });
}
