#pragma once

#include <QDialog>

class QLineEdit;
struct Panel;

// frmTovaPassword: changes the local user name and password. Created once and shown with run()
// each time.
class PasswordDialog final : public QDialog {
    Q_OBJECT
public:
    PasswordDialog(Panel& panel, QWidget* parent = nullptr);

    // Shows the dialog modally; the Tag is returned unchanged.
    QString run(const QString& tag);

    // Escape and the window's close button act as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok();

    Panel& m_panel;
    QString m_tag;
    QLineEdit* m_txtUserName = nullptr;
    QLineEdit* m_txtOldPassword = nullptr;
    QLineEdit* m_txtNewUserName = nullptr;
    QLineEdit* m_txtNewPassword = nullptr;
    QLineEdit* m_txtConfirmPassword = nullptr;
};
