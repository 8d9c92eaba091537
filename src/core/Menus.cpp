#include "core/Menus.h"

#include "state/Panel.h"

void mnuConnect_Click(Panel& panel)
{
    if (panel.s.Connected)
        panel.server.DisconnectSocket();
    else
        panel.server.ConnectSocket();
}
