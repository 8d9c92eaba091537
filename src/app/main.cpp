#include "app/CommandLine.h"
#include "app/Program.h"
#include "core/Startup.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

// A job of the worker that has not come back by then (a share that does not answer) is not waited
// for any longer at the end.
constexpr int WorkerShutDownWait = 1000;

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

    const QString appDir = PanelAppDir(options);
    if (appDir.isEmpty())
        return 1;

    Program program(appDir);
    MainWindow& window = program.window();
    // Every way out runs the one shut-down: Exit, closing the window, SIGTERM or SIGINT.
    OnTerminationSignal(&window, [&window] { window.close(); });
    QObject::connect(&window, &MainWindow::closed, &app, &QApplication::quit);

    // Start-up runs inside the event loop, so that a signal or a close at any moment, with any
    // dialog open, ends the program through the same shut-down.
    QTimer::singleShot(0, &window, [&program] { program.start(); });
    const int status = QApplication::exec();
    Unload_Program(program.panel());
    if (!program.finishWorker(WorkerShutDownWait)) {
        // The worker is blocked on a share that does not answer: end without waiting for it.
        std::fflush(nullptr);
        ::_exit(status);
    }
    return status;
}
