#pragma once

#include "state/Ports.h"

#include "dialogs/SwitcherPasswordDialog.h"

#include <QPointer>

class QWidget;
struct Panel;

// Message boxes with QMessageBox; dialogs are shown modally over the main window.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner) : m_owner(owner) {}

    // The panel the dialogs work on; set once before the first dialog.
    void setPanel(Panel* panel) { m_panel = panel; }

    MsgResult message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override;
    QString showDialog(Dialog dialog, const QString& tag) override;
    void closeDialog(Dialog dialog) override;

private:
    QWidget* m_owner;
    Panel* m_panel = nullptr;
    QPointer<SwitcherPasswordDialog> m_switcherPassword;  // open Server Module password prompt, if any
};
