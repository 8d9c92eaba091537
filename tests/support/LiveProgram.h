#pragma once

// The real program (Program: window, prompts, socket link, worker, timers) in a temporary AppDir,
// started from a settings file, for the integration tests.

#include "support/Fakes.h"

#include "app/Program.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

struct LiveProgram {
    QTemporaryDir dir;
    Program program{dir.path() + QDir::separator()};
    PanelState& s = program.state();
    Panel& panel = program.panel();
    MainWindow& window = program.window();

    explicit LiveProgram(const QByteArray& settings)
    {
        WriteTestFile(s.AppDir + QStringLiteral("zebntpnl.ini"), settings);
        program.start();
    }

    QComboBox* box() const { return window.findChild<QComboBox*>(QStringLiteral("cmboSourceSelect")); }
    QString status(int n) const { return window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(n))->text(); }
};

// The message boxes with that title that are showing.
inline QList<QMessageBox*> BoxesShowing(const QString& title)
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->windowTitle() == title)
            boxes << box;
    return boxes;
}
inline QMessageBox* BoxShowing(const QString& title)
{
    const QList<QMessageBox*> boxes = BoxesShowing(title);
    return boxes.isEmpty() ? nullptr : boxes.front();
}
