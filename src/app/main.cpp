#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "app/QtPrompts.h"
#include "app/ServerAccess.h"
#include "app/SystemClock.h"
#include "core/Startup.h"
#include "platform/TerminationSignals.h"
#include "state/Panel.h"
#include "storage/AppDir.h"

#include <QApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // The build's version, answered before any window, display or file is touched.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tova-vantrel %s\n", TOVA_VERSION);
            return 0;
        }

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
