#pragma once

#include <QString>

struct Panel;

// The login dialog's logic, without its window. The dialog's Tag carries its mode in ("new":
// take a first user name and password; empty: check the password) and its result out ("ok",
// "fail").

// What the login dialog shows when it opens.
struct LoginFields {
    bool cancelEnabled = true;
    QString userName;
    bool focusUserName = false;  // otherwise the password field gets the focus
};
LoginFields Login_Activate(const Panel& panel, const QString& tag);

// OK: stores the first user name and password ("new"), or checks the password. A wrong password
// is reported to the operator. True when the dialog is to close; Tag and LoggedIn are updated.
bool Login_Ok(Panel& panel, QString& tag, const QString& userName, const QString& password);

// Cancel: the login failed.
void Login_Cancel(Panel& panel, QString& tag);
