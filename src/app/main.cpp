#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "app/QtPrompts.h"
#include "app/QtWorker.h"
#include "app/ServerAccess.h"
#include "app/SystemClock.h"
#include "core/Startup.h"
#include "platform/TerminationSignals.h"
#include "state/Panel.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// A job of the worker that has not come back by then (a share that does not answer) is not waited
// for any longer at the end.
constexpr int WorkerShutDownWait = 1500;

} // namespace

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
    QApplication::setQuitOnLastWindowClosed(false);

    PanelState state;
    state.AppDir = PanelAppDir(options);
    if (state.AppDir.isEmpty())
        return 1;

    MainWindow window;
    QtPrompts prompts(&window, *window.outputSelect());
    SystemClock clock;
    ServerAccess server;
    QtLink link;
    QtWorker worker;
    Panel panel{state, window, prompts, clock, server, link, worker};
    window.setPanel(&panel);
    server.setPanel(&panel);
    prompts.setPanel(&panel);
    link.setPanel(&panel);
    // Every way out runs the one shut-down: Exit, closing the window, SIGTERM or SIGINT.
    OnTerminationSignal(&window, [&window] { window.close(); });
    QObject::connect(&window, &MainWindow::closed, &app, &QApplication::quit);

    // Start-up runs inside the event loop, so that a signal or a close at any moment, with any
    // dialog open, ends the program through the same shut-down.
    QTimer::singleShot(0, &window, [&panel, &window] {
        Form_Load(panel);
        window.show();
    });
    const int status = QApplication::exec();
    Unload_Program(panel);
    if (!worker.shutDown(WorkerShutDownWait)) {
        // The worker is blocked on a share that does not answer: end without waiting for it.
        std::fflush(nullptr);
        ::_exit(status);
    }
    return status;
}
