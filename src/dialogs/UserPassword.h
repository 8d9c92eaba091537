#pragma once

#include <QString>

struct Panel;

// The password dialog's logic, without its window: changes the local user name and password.

// The text of the current user name field when the dialog opens.
QString UserPassword_Activate(const Panel& panel);

struct PasswordEntry {
    QString oldPassword;
    QString newUserName;
    QString newPassword;
    QString confirmPassword;
};

// The field that gets the focus with its text selected after a refused change.
enum class PasswordField { None, OldPassword, NewPassword };

// OK: checks the current password, then the confirmation, and stores the new user name and
// password and writes the settings. Returns the field at fault (the operator has been told), or
// None when the change is made and the dialog is to close.
PasswordField UserPassword_Ok(Panel& panel, const PasswordEntry& entry);

// Cancel: nothing changes, except that the operator is no longer logged in.
void UserPassword_Cancel(Panel& panel);
