#pragma once

#include "dialogs/PanelDialog.h"

class QLineEdit;
struct Panel;

// frmTovaPassword: changes the local user name and password. Created once and shown
// each time.
class PasswordDialog final : public PanelDialog {
    Q_OBJECT
public:
    PasswordDialog(Panel& panel, QWidget* parent = nullptr);

    // Escape and the window's close button act as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok();

    Panel& m_panel;
    QLineEdit* m_txtUserName = nullptr;
    QLineEdit* m_txtOldPassword = nullptr;
    QLineEdit* m_txtNewUserName = nullptr;
    QLineEdit* m_txtNewPassword = nullptr;
    QLineEdit* m_txtConfirmPassword = nullptr;
};
