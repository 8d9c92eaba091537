#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "app/QtPrompts.h"
#include "app/ServerAccess.h"
#include "app/SystemClock.h"
#include "core/Startup.h"
#include "state/Panel.h"
#include "storage/AppDir.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window through the event loop, so shut-down writes the settings.
void closeOnTerminate(MainWindow& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        window.close();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // One look on every desktop: the panel's colours and sizes are fixed, not the platform's.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setOrganizationName(QStringLiteral("ZEB"));
    QApplication::setApplicationName(QStringLiteral("tova-vantrel"));
    QApplication::setQuitOnLastWindowClosed(true);

    PanelState state;
    state.AppDir = ResolveAppDir(QApplication::applicationDirPath(),
                                 QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));

    MainWindow window;
    QtPrompts prompts(&window);
    SystemClock clock;
    ServerAccess server;
    QtLink link;
    Panel panel{state, window, prompts, clock, server, link};
    window.setPanel(&panel);
    server.setPanel(&panel);
    prompts.setPanel(&panel);
    link.setPanel(&panel);
    closeOnTerminate(window);
    QObject::connect(&app, &QApplication::aboutToQuit, [&panel] { Unload_Program(panel); });

    Form_Load(panel);
    window.show();
    return QApplication::exec();
}
