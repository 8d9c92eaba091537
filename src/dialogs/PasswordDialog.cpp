#include "dialogs/PasswordDialog.h"

#include "dialogs/UserPassword.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLineEdit* addRow(QWidget* frame, QGridLayout* grid, const char* labelName, const QString& caption,
                  const char* fieldName, bool secret)
{
    const int row = grid->rowCount();
    auto* label = new QLabel(caption, frame);
    label->setObjectName(QLatin1String(labelName));
    auto* field = new QLineEdit(frame);
    field->setObjectName(QLatin1String(fieldName));
    field->setMinimumWidth(160);
    if (secret)
        field->setEchoMode(QLineEdit::Password);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

} // namespace

PasswordDialog::PasswordDialog(Panel& panel, QWidget* parent) : PanelDialog(parent), m_panel(panel)
{
    setObjectName(QStringLiteral("frmTovaPassword"));
    setWindowTitle(QStringLiteral("Password and User Information"));
    setModal(true);

    auto* existing = new QGroupBox(QStringLiteral("Existing Information"), this);
    existing->setObjectName(QStringLiteral("Frame1"));
    auto* existingGrid = new QGridLayout(existing);
    m_txtUserName = addRow(existing, existingGrid, "Label4", QStringLiteral("User Name"), "txtUserName", false);
    m_txtOldPassword = addRow(existing, existingGrid, "Label5", QStringLiteral("Password"), "txtOldPassword", true);

    auto* fresh = new QGroupBox(QStringLiteral("New Information"), this);
    fresh->setObjectName(QStringLiteral("frmNewPassIfo"));
    auto* freshGrid = new QGridLayout(fresh);
    m_txtNewUserName = addRow(fresh, freshGrid, "Label3", QStringLiteral(" User Name"), "txtNewUserName", false);
    m_txtNewPassword = addRow(fresh, freshGrid, "Label1", QStringLiteral("New Password"), "txtNewPassword", true);
    m_txtConfirmPassword =
        addRow(fresh, freshGrid, "Label2", QStringLiteral("Confirm Password"), "txtConfirmPassword", true);

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(existing);
    layout->addWidget(fresh);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &PasswordDialog::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &PasswordDialog::reject);
}

void PasswordDialog::showEvent(QShowEvent* event)
{
    m_txtUserName->setText(UserPassword_Activate(m_panel));
    m_txtNewUserName->clear();
    m_txtOldPassword->clear();
    m_txtNewPassword->clear();
    m_txtConfirmPassword->clear();
    m_txtOldPassword->setFocus();
    QDialog::showEvent(event);
}

void PasswordDialog::ok()
{
    const PasswordEntry entry{m_txtOldPassword->text(), m_txtNewUserName->text(), m_txtNewPassword->text(),
                              m_txtConfirmPassword->text()};
    switch (UserPassword_Ok(m_panel, entry)) {
    case PasswordField::None:
        accept();
        return;
    case PasswordField::OldPassword:
        m_txtOldPassword->setFocus();
        m_txtOldPassword->selectAll();
        return;
    case PasswordField::NewPassword:
        m_txtNewPassword->setFocus();
        m_txtNewPassword->selectAll();
        return;
    }
}

void PasswordDialog::reject()
{
    UserPassword_Cancel(m_panel);
    QDialog::reject();
}
