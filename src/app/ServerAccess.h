#pragma once

#include "state/Ports.h"

struct Panel;

// The Server port as the application provides it: the TCP/IP link of the protocol library and the
// network data file readers of File mode.
class ServerAccess final : public Server {
public:
    void setPanel(Panel* panel) { m_panel = panel; }

    void ConnectSocket() override;
    void DisconnectSocket() override;
    void SendCrosspointChange(int destination, int source) override;
    void SendSalvoExecute(int salvo) override;
    void ReadNetworkFiles(std::function<void(bool read)> then) override;
    void PollCycle() override;

private:
    Panel* m_panel = nullptr;
};
