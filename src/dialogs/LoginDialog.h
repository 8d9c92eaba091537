#pragma once

#include "dialogs/PanelDialog.h"

class QLineEdit;
class QPushButton;
struct Panel;

// frmTovaLogin: asks for the user's password before setup, or for a first user name and password
// (Tag "new"). Created once and shown each time.
class LoginDialog final : public PanelDialog {
    Q_OBJECT
public:
    LoginDialog(Panel& panel, QWidget* parent = nullptr);

    // Escape and the window's close button act as Cancel, and do nothing while Cancel is disabled.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok();

    Panel& m_panel;
    QLineEdit* m_txtUserName = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
