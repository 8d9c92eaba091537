#pragma once

#include "state/Ports.h"

class QWidget;

// Message boxes with QMessageBox; dialogs are shown modally over the main window.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner) : m_owner(owner) {}

    MsgResult message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override;
    QString showDialog(Dialog dialog, const QString& tag) override;

private:
    QWidget* m_owner;
};
