#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "app/QtPrompts.h"
#include "app/ServerAccess.h"
#include "app/SystemClock.h"
#include "core/Startup.h"
#include "platform/TerminationSignals.h"
#include "state/Panel.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Before Qt starts: --help, --version and a bad option need no display.
    const CommandLine options = ParseCommandLine(argc, argv);
    if (options.action != CommandLine::Run)
        return ReportCommandLine(options);
    QApplication app(argc, argv);
    // One look on every desktop: the panel's colours and sizes are fixed, not the platform's.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setOrganizationName(QStringLiteral("ZEB"));
    QApplication::setApplicationName(QStringLiteral("tova-vantrel"));
    QApplication::setQuitOnLastWindowClosed(true);

    PanelState state;
    state.AppDir = PanelAppDir(options);
    if (state.AppDir.isEmpty())
        return 1;

    MainWindow window;
    QtPrompts prompts(&window, *window.outputSelect());
    SystemClock clock;
    ServerAccess server;
    QtLink link;
    Panel panel{state, window, prompts, clock, server, link};
    window.setPanel(&panel);
    server.setPanel(&panel);
    prompts.setPanel(&panel);
    link.setPanel(&panel);
    OnTerminationSignal(&window, [&window] { window.close(); });
    QObject::connect(&app, &QApplication::aboutToQuit, [&panel] { Unload_Program(panel); });

    Form_Load(panel);
    window.show();
    return QApplication::exec();
}
