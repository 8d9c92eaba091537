#include "core/Startup.h"

#include "state/Panel.h"
#include "storage/Settings.h"

namespace {

const QString NoSystem = QStringLiteral("No System");

// Settings missing or unreadable: tell the operator and lead through login and setup.
void configureFirstTime(Panel& panel)
{
    panel.view.setWindowOrder(NotTopMost);
    panel.prompts.message(QStringLiteral("System Not Yet Configured.\r"
                                         "Please specify a User name and Password then set the\r"
                                         "ZEB kelvane location and destination to be controlled"),
                          QStringLiteral("Configuration Error"), MsgIcon::Exclamation, MsgButtons::Ok);
    panel.prompts.showDialog(Dialog::Login, QStringLiteral("new"));
    panel.prompts.showDialog(Dialog::Setup, QStringLiteral("Initial"));
    panel.view.setWindowOrder(TopMost);
}

// File mode with no readable server files: the setup dialog, behind a login when a password is set.
void serverFilesMissing(Panel& panel)
{
    PanelState& s = panel.s;
    panel.view.setWindowOrder(NotTopMost);  // dialogs are never hidden behind the panel
    panel.prompts.message(QStringLiteral("Server Files not found"), QStringLiteral("Error Reading File"),
                          MsgIcon::None, MsgButtons::OkCancel);
    panel.view.setStatusText(1, QStringLiteral("Destination Controlled (NC) "));
    if (!s.UserPassword.isEmpty()) {
        panel.prompts.showDialog(Dialog::Login, QString());
        if (!s.LoggedIn) {
            panel.view.setWindowOrder(s.StayOnTop);
            return;
        }
    }
    panel.prompts.showDialog(Dialog::Setup, QStringLiteral("Initial"));
    panel.view.setWindowOrder(s.StayOnTop);
}

} // namespace

void Form_Load(Panel& panel)
{
    PanelState& s = panel.s;
    PanelView& view = panel.view;

    InitVariables(s, view);
    view.setWindowOrder(TopMost);

    view.clearSourceBox();
    view.clearOutputSelect();
    view.addOutputSelectItem(NoSystem);
    view.addSourceItem(NoSystem);
    s.Updating = true;
    view.setOutputSelectIndex(0);
    view.setSourceIndex(0);
    s.Updating = false;

    if (!ReadSettings(panel)) {
        configureFirstTime(panel);
        return;
    }

    if (s.TcpIpMode) {
        panel.server.ConnectSocket();
        view.setMenuEnabled(MenuCommand::Connect, true);
        view.setMenuEnabled(MenuCommand::SalvoMode, true);
    } else {
        view.setMenuEnabled(MenuCommand::SalvoMode, false);
        if (!panel.server.ReadNetworkFiles()) {
            serverFilesMissing(panel);
            return;
        }
        view.setMenuEnabled(MenuCommand::Connect, false);
    }
    view.setSourceBoxEnabled(true);
}

void Unload_Program(Panel& panel)
{
    if (panel.s.ShutDownDone)
        return;
    panel.s.ShutDownDone = true;
    panel.view.setFileCheckEnabled(false);
    WriteSettings(panel);
    panel.view.closeAllWindows();
}
