#include "dialogs/Login.h"

#include "state/Panel.h"

namespace {

const QString& NewTag = NewLoginTag;

} // namespace

LoginFields Login_Activate(const Panel& panel, const QString& tag)
{
    if (tag == NewTag)
        return {false, QString(), true};
    return {true, panel.s.UserName, false};
}

bool Login_Ok(Panel& panel, QString& tag, const QString& userName, const QString& password)
{
    PanelState& s = panel.s;
    if (tag == NewTag) {
        s.UserPassword = password;
        s.UserName = userName;
        return true;
    }
    // Only the password is checked; the user name is shown for the operator's benefit.
    if (password != s.UserPassword) {
        panel.prompts.message(QStringLiteral("Invalid Password, try again!"), QStringLiteral("Login"),
                              MsgIcon::None, MsgButtons::Ok);
        return false;
    }
    s.LoggedIn = true;
    tag = QStringLiteral("ok");
    return true;
}

void Login_Cancel(Panel& panel, QString& tag)
{
    panel.s.LoggedIn = false;
    tag = QStringLiteral("fail");
}
