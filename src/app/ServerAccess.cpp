#include "app/ServerAccess.h"

#include "filemode/NetworkFiles.h"
#include "filemode/PollCycle.h"
#include "protocol/Messages.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"

void ServerAccess::ConnectSocket() { ::ConnectSocket(*m_panel); }

void ServerAccess::DisconnectSocket() { ::DisconnectSocket(*m_panel); }

void ServerAccess::SendCrosspointChange(int destination, int source)
{
    ::SendCrosspointChange(*m_panel, destination, source);
}

void ServerAccess::SendSalvoExecute(int salvo) { ::SendSalvoExecute(*m_panel, salvo); }

void ServerAccess::ReadNetworkFiles(std::function<void(bool read)> then) { ::ReadNetworkFiles(*m_panel, std::move(then)); }

void ServerAccess::PollCycle()
{
    if (m_panel->s.TcpIpMode)
        PollTick(*m_panel);
    else
        FilePollTick(*m_panel);
}
