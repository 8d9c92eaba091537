#include "dialogs/SwitcherPasswordDialog.h"

#include "dialogs/SwitcherPassword.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SwitcherPasswordDialog::SwitcherPasswordDialog(Panel& panel, QWidget* parent) : PanelDialog(parent), m_panel(panel)
{
    setObjectName(QStringLiteral("frmSwitcherPassword"));
    setWindowTitle(QStringLiteral("Enter Password"));

    auto* lblSwitcher = new QLabel(QStringLiteral("Switcher"), this);
    lblSwitcher->setObjectName(QStringLiteral("LblSwitcher"));
    QFont bold = lblSwitcher->font();
    bold.setBold(true);
    lblSwitcher->setFont(bold);
    m_lblIP = new QLabel(QStringLiteral("IP"), this);
    m_lblIP->setObjectName(QStringLiteral("lblIP"));
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setObjectName(QStringLiteral("txtPassword"));
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_txtPassword->setMinimumWidth(180);

    auto* cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOk->setObjectName(QStringLiteral("CmdOk"));
    cmdOk->setAutoDefault(false);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblSwitcher, 0, 0);
    layout->addWidget(m_lblIP, 0, 1);
    layout->addWidget(m_txtPassword, 1, 0, 1, 2);
    layout->addLayout(buttons, 2, 0, 1, 2);

    connect(cmdOk, &QPushButton::clicked, this, &SwitcherPasswordDialog::ok);
    // Enter in the field does what OK does; with an empty field nothing happens.
    connect(m_txtPassword, &QLineEdit::returnPressed, this, &SwitcherPasswordDialog::ok);
    // However it closes, the prompt is gone at once: a new request may open a new one.
    connect(this, &QDialog::finished, this, [this] {
        SwitcherPassword_Unload(m_panel);
        deleteLater();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &SwitcherPasswordDialog::reject);
}


void SwitcherPasswordDialog::showEvent(QShowEvent* event)
{
    m_lblIP->setText(SwitcherPassword_Activate(m_panel));
    m_txtPassword->setFocus();
    QDialog::showEvent(event);
}

void SwitcherPasswordDialog::ok()
{
    if (SwitcherPassword_Ok(m_panel, m_txtPassword->text()))
        accept();
}

void SwitcherPasswordDialog::dismiss()
{
    // Not reject(): the link has ended, there is nobody to answer.
    QDialog::reject();
}

void SwitcherPasswordDialog::reject()
{
    if (isVisible())
        SwitcherPassword_Closed(m_panel);
    QDialog::reject();
}
