#include "app/ServerAccess.h"

#include "filemode/NetworkFiles.h"
#include "filemode/PollCycle.h"
#include "protocol/Messages.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"

namespace {

// tmrFileCheck's interval until the settings give one.
constexpr int FirstPollInterval = 100;

} // namespace

ServerAccess::ServerAccess(Panel& panel) : m_panel(panel)
{
    m_tmrFileCheck.setObjectName(QStringLiteral("tmrFileCheck"));
    m_tmrFileCheck.setInterval(FirstPollInterval);
    // Precise: a coarse timer may fire up to 5 % late, which adds up to 5 ms to the time a
    // File-mode take needs to show.
    m_tmrFileCheck.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tmrFileCheck, &QTimer::timeout, this, [this] { PollCycle(); });
    m_tmrFileCheck.start();
}

void ServerAccess::ConnectSocket() { ::ConnectSocket(m_panel); }

void ServerAccess::DisconnectSocket() { ::DisconnectSocket(m_panel); }

void ServerAccess::SendCrosspointChange(int destination, int source)
{
    ::SendCrosspointChange(m_panel, destination, source);
}

void ServerAccess::SendSalvoExecute(int salvo) { ::SendSalvoExecute(m_panel, salvo); }

void ServerAccess::ReadNetworkFiles(std::function<void(bool read)> then) { ::ReadNetworkFiles(m_panel, std::move(then)); }

void ServerAccess::PollCycle()
{
    if (m_panel.s.TcpIpMode)
        PollTick(m_panel);
    else
        FilePollTick(m_panel);
}

void ServerAccess::setPollInterval(int milliseconds) { m_tmrFileCheck.setInterval(milliseconds); }

void ServerAccess::setPollEnabled(bool enabled)
{
    if (enabled)
        m_tmrFileCheck.start();
    else
        m_tmrFileCheck.stop();
}
