#include "dialogs/LoginDialog.h"

#include "dialogs/Login.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LoginDialog::LoginDialog(Panel& panel, QWidget* parent) : PanelDialog(parent), m_panel(panel)
{
    setObjectName(QStringLiteral("frmTovaLogin"));
    setWindowTitle(QStringLiteral("User Login"));
    setModal(true);

    auto* lblUserName = new QLabel(QStringLiteral("&User Name:"), this);
    lblUserName->setObjectName(QStringLiteral("lblLabels"));
    m_txtUserName = new QLineEdit(this);
    m_txtUserName->setObjectName(QStringLiteral("txtUserName"));
    m_txtUserName->setMinimumWidth(180);
    lblUserName->setBuddy(m_txtUserName);
    auto* lblPassword = new QLabel(QStringLiteral("&Password:"), this);
    lblPassword->setObjectName(QStringLiteral("lblLabels"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    lblPassword->setBuddy(m_txtPassword);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblUserName, 0, 0);
    layout->addWidget(m_txtUserName, 0, 1);
    layout->addWidget(lblPassword, 1, 0);
    layout->addWidget(m_txtPassword, 1, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);

    connect(cmdOK, &QPushButton::clicked, this, &LoginDialog::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &LoginDialog::reject);
}

void LoginDialog::showEvent(QShowEvent* event)
{
    const LoginFields fields = Login_Activate(m_panel, tag());
    m_cmdCancel->setEnabled(fields.cancelEnabled);
    m_txtPassword->clear();
    m_txtUserName->setText(fields.userName);
    (fields.focusUserName ? m_txtUserName : m_txtPassword)->setFocus();
    QDialog::showEvent(event);
}

void LoginDialog::ok()
{
    QString closingTag = tag();
    const bool done = Login_Ok(m_panel, closingTag, m_txtUserName->text(), m_txtPassword->text());
    setTag(closingTag);
    if (done) {
        accept();
        return;
    }
    // Wrong password: the next typing replaces it.
    m_txtPassword->setFocus();
    m_txtPassword->selectAll();
}

void LoginDialog::reject()
{
    if (!m_cmdCancel->isEnabled())
        return;
    QString closingTag = tag();
    Login_Cancel(m_panel, closingTag);
    setTag(closingTag);
    QDialog::reject();
}
