#include "dialogs/UserPassword.h"

#include "state/Panel.h"
#include "storage/Settings.h"

QString UserPassword_Activate(const Panel& panel)
{
    return panel.s.UserName;
}

PasswordField UserPassword_Ok(Panel& panel, const PasswordEntry& entry)
{
    PanelState& s = panel.s;
    const QString title = QStringLiteral("Login");
    if (entry.oldPassword != s.UserPassword) {
        panel.prompts.message(QStringLiteral("Invalid Password!"), title, MsgIcon::None, MsgButtons::Ok);
        return PasswordField::OldPassword;
    }
    if (entry.newPassword != entry.confirmPassword) {
        panel.prompts.message(QStringLiteral("New password Entered Differently In Confirm Box"), title,
                              MsgIcon::None, MsgButtons::Ok);
        return PasswordField::NewPassword;
    }
    s.UserPassword = entry.newPassword;
    s.UserName = entry.newUserName;  // an empty new name replaces the old one too
    // A failed write has already been logged; the change holds in memory either way.
    WriteSettings(panel);
    return PasswordField::None;
}

void UserPassword_Cancel(Panel& panel)
{
    panel.s.LoggedIn = false;
}
