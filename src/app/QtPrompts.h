#pragma once

#include "state/Ports.h"

#include <QPointer>

#include <memory>

class AboutDialog;
class DisplayListDialog;
class LoginDialog;
class OutputSelect;
class PasswordDialog;
class QWidget;
class SetupDialog;
class SwitcherPasswordDialog;
struct Panel;

// Message boxes with QMessageBox and the panel's dialogs, all shown modal over the main window
// without a nested event loop.
class QtPrompts final : public Prompts {
public:
    // Boxes and dialogs go over owner; the setup dialog shows destinations.
    QtPrompts(Panel& panel, QWidget* owner, OutputSelect& destinations);
    ~QtPrompts() override;

    void closeDialog(Dialog dialog) override;
    bool openHelp() override;
    QString helpPage() const override;

protected:
    void showMessage(const QString& text, const QString& title, MsgIcon icon, MsgButtons buttons,
                     Answered done) override;
    void openDialog(Dialog dialog, const QString& tag, Closed done) override;

private:
    // A dialog is created on first use, then only shown and hidden.
    template <class D>
    D* Created(std::unique_ptr<D>& dialog, Panel& panel)
    {
        if (!dialog)
            dialog = std::make_unique<D>(panel, m_owner);
        return dialog.get();
    }

    QWidget* m_owner;
    OutputSelect& m_destinations;
    Panel& m_panel;
    std::unique_ptr<LoginDialog> m_login;
    std::unique_ptr<SetupDialog> m_setup;
    std::unique_ptr<PasswordDialog> m_password;
    std::unique_ptr<AboutDialog> m_about;
    std::unique_ptr<DisplayListDialog> m_displayList;
    QPointer<SwitcherPasswordDialog> m_switcherPassword;  // open Server Module password prompt, if any
};
