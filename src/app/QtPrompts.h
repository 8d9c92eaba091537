#pragma once

#include "state/Ports.h"

#include "dialogs/SwitcherPasswordDialog.h"

#include <QPointer>

#include <memory>

class AboutDialog;
class DisplayListDialog;
class LoginDialog;
class OutputSelect;
class PasswordDialog;
class QWidget;
class SetupDialog;
struct Panel;

// Message boxes with QMessageBox; dialogs are shown modally over the main window.
class QtPrompts final : public Prompts {
public:
    QtPrompts(QWidget* owner, OutputSelect& destinations);
    ~QtPrompts() override;

    // The panel the dialogs work on; set once before the first dialog.
    void setPanel(Panel* panel) { m_panel = panel; }

    MsgResult message(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons) override;
    QString showDialog(Dialog dialog, const QString& tag) override;
    void closeDialog(Dialog dialog) override;
    bool openHelp() override;

private:
    QWidget* m_owner;
    OutputSelect& m_destinations;
    Panel* m_panel = nullptr;
    // Created on first use, then only shown and hidden.
    std::unique_ptr<LoginDialog> m_login;
    std::unique_ptr<SetupDialog> m_setup;
    std::unique_ptr<PasswordDialog> m_password;
    std::unique_ptr<AboutDialog> m_about;
    std::unique_ptr<DisplayListDialog> m_displayList;
    QPointer<SwitcherPasswordDialog> m_switcherPassword;  // open Server Module password prompt, if any
};
