#include "core/Startup.h"

#include "core/OverPanel.h"
#include "state/Panel.h"
#include "storage/Settings.h"

namespace {

const QString NoSystem = QStringLiteral("No System");

// Settings missing or unreadable: tell the operator and lead through login and setup, each step
// once the one before has been answered.
// On this path the window ends topmost whatever the setup dialog stored in StayOnTop.
void configureFirstTime(Panel& panel)
{
    OverPanel(
        panel,
        [&panel](ChainDone done) {
            panel.prompts.message(QStringLiteral("System Not Yet Configured.\r"
                                                 "Please specify a User name and Password then set the\r"
                                                 "ZEB kelvane location and destination to be controlled"),
                                  QStringLiteral("Configuration Error"), MsgIcon::Exclamation, MsgButtons::Ok,
                                  [&panel, done](MsgResult) {
                                      panel.prompts.showDialog(Dialog::Login, NewLoginTag, [&panel, done](const QString&) {
                                          panel.prompts.showDialog(Dialog::Setup, InitialTag,
                                                                   [done](const QString&) { done(); });
                                      });
                                  });
        },
        TopMost);
}

// File mode with no readable server files: the setup dialog, behind a login when a password is set.
void serverFilesMissing(Panel& panel)
{
    OverPanel(panel, [&panel](ChainDone done) {
        panel.prompts.message(QStringLiteral("Server Files not found"), QStringLiteral("Error Reading File"),
                              MsgIcon::None, MsgButtons::OkCancel, [&panel, done](MsgResult) {
                                  panel.view.setStatusText(1, QStringLiteral("Destination Controlled (NC) "));
                                  const auto setup = [&panel, done] {
                                      panel.prompts.showDialog(Dialog::Setup, InitialTag,
                                                               [done](const QString&) { done(); });
                                  };
                                  if (panel.s.UserPassword.isEmpty()) {
                                      setup();
                                      return;
                                  }
                                  panel.prompts.showDialog(Dialog::Login, QString(), [&panel, done, setup](const QString&) {
                                      if (panel.s.LoggedIn)
                                          setup();
                                      else
                                          done();
                                  });
                              });
    });
}

} // namespace

void Form_Load(Panel& panel)
{
    PanelState& s = panel.s;
    PanelView& view = panel.view;

    InitVariables(s, panel.server);
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
        view.setSourceBoxEnabled(true);
        return;
    }
    view.setMenuEnabled(MenuCommand::SalvoMode, false);
    // The files are read off the GUI thread; start-up ends when they have been read (or not).
    panel.server.ReadNetworkFiles([&panel](bool read) {
        if (!read) {
            serverFilesMissing(panel);
            return;
        }
        panel.view.setMenuEnabled(MenuCommand::Connect, false);
        panel.view.setSourceBoxEnabled(true);
    });
}

void Unload_Program(Panel& panel)
{
    if (panel.s.ShutDownDone)
        return;
    panel.s.ShutDownDone = true;
    // Nothing that a box or the worker would have done after an answer runs from here on.
    panel.prompts.endAll();
    panel.server.setPollEnabled(false);
    WriteSettings(panel);
    panel.view.closeAllWindows();
}
