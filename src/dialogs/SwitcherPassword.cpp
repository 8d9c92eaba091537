#include "dialogs/SwitcherPassword.h"

#include "protocol/Messages.h"
#include "state/Panel.h"

QString SwitcherPassword_Activate(Panel& panel)
{
    panel.s.SwitcherPasswordShown = true;
    return QStringLiteral("IP: ") + panel.s.IpAddress;
}

bool SwitcherPassword_Ok(Panel& panel, const QString& typed)
{
    if (typed.isEmpty())
        return false;
    SendPassword(panel, typed);
    return true;
}

void SwitcherPassword_Cancel(Panel& panel)
{
    SendPassword(panel, QString());
}

void SwitcherPassword_Closed(Panel& panel)
{
    if (!panel.s.ShutDownDone)
        SwitcherPassword_Cancel(panel);
}

void SwitcherPassword_Unload(Panel& panel)
{
    panel.s.SwitcherPasswordShown = false;
}
