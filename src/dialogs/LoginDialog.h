#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
struct Panel;

// frmTovaLogin: asks for the user's password before setup, or for a first user name and password
// (Tag "new"). Created once and shown with run() each time.
class LoginDialog final : public QDialog {
    Q_OBJECT
public:
    LoginDialog(Panel& panel, QWidget* parent = nullptr);

    // Shows the dialog modally with the given Tag; returns the Tag it closed with.
    QString run(const QString& tag);

    // Escape and the window's close button act as Cancel, and do nothing while Cancel is disabled.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ok();

    Panel& m_panel;
    QString m_tag;
    QLineEdit* m_txtUserName = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
