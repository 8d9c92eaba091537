#pragma once

#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "app/QtPrompts.h"
#include "app/QtWorker.h"
#include "app/ServerAccess.h"
#include "app/SystemClock.h"
#include "state/Panel.h"

// The panel as it runs: its one state, the main window and the Qt adapter of every port, built and
// wired together here and nowhere else. main(), the GUI tests and the benchmarks use it.
class Program {
public:
    // AppDir: where the settings file, the display list file and the error log are.
    explicit Program(const QString& appDir);
    // Ends the panel if nothing has yet (the one shut-down) and its worker, waiting for a blocked
    // job no longer than shutDown allowed.
    ~Program();

    // Start-up: Form_Load, then the window shows. main() runs it from the event loop.
    void start();
    // Lets the worker finish the job it runs, waiting at most waitMs; false when it is still
    // blocked (a share that does not answer).
    bool finishWorker(int waitMs) { return m_worker.shutDown(waitMs); }

    PanelState& state() { return m_state; }
    Panel& panel() { return m_panel; }
    MainWindow& window() { return m_window; }
    QtWorker& worker() { return m_worker; }

private:
    PanelState m_state;
    // Refers to the members below; they are built after it and take it in turn.
    Panel m_panel{m_state, m_window, m_prompts, m_clock, m_server, m_link, m_worker};
    MainWindow m_window{m_panel};
    QtPrompts m_prompts{m_panel, &m_window, *m_window.outputSelect()};
    SystemClock m_clock;
    ServerAccess m_server{m_panel};
    QtLink m_link{m_panel};
    QtWorker m_worker;
};
