#include "app/ServerAccess.h"

#include "protocol/TcpComm.h"
#include "state/Panel.h"

void ServerAccess::ConnectSocket() { ::ConnectSocket(*m_panel); }

void ServerAccess::DisconnectSocket() { ::DisconnectSocket(*m_panel); }

void ServerAccess::PollCycle()
{
    if (m_panel->s.TcpIpMode)
        PollTick(*m_panel);
}
