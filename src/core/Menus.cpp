#include "core/Menus.h"

#include "core/Display.h"
#include "state/Panel.h"

namespace {

// Runs a dialog command with the main window off the topmost layer, so that no dialog is hidden
// behind the panel, and puts the window back in its chosen order afterwards.
template <typename Steps>
void dialogCommand(Panel& panel, Steps steps)
{
    panel.view.setWindowOrder(NotTopMost);
    steps();
    panel.view.setWindowOrder(panel.s.StayOnTop);
}

} // namespace

void mnuSetup_Click(Panel& panel)
{
    dialogCommand(panel, [&] {
        panel.prompts.showDialog(Dialog::Login, QString());
        if (panel.s.LoggedIn)
            panel.prompts.showDialog(Dialog::Setup, QStringLiteral("Initial"));
    });
}

void mnuPassword_Click(Panel& panel)
{
    dialogCommand(panel, [&] { panel.prompts.showDialog(Dialog::Password, QString()); });
}

void mnuDsiplayList_Click(Panel& panel)
{
    dialogCommand(panel, [&] {
        panel.prompts.showDialog(Dialog::DisplayList, QString());
        UpdateAlphaData(panel);
    });
}

void mnuAbout_Click(Panel& panel)
{
    dialogCommand(panel, [&] { panel.prompts.showDialog(Dialog::About, QString()); });
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
    dialogCommand(panel, [&] {
        panel.prompts.message(QStringLiteral("The help page could not be opened: no viewer for it could be started.\r"
                                             "It is the file help/index.html beside the program\r"
                                             "and can be opened in any web browser."),
                              QStringLiteral("Help"), MsgIcon::Information, MsgButtons::Ok);
    });
}
