#pragma once

#include "state/Ports.h"

// Stands in for the router's server software until this build has the TCP/IP link and the
// File-mode readers: it never connects and never finds the network data files.
class PendingServer final : public Server {
public:
    void ConnectSocket() override {}
    void DisconnectSocket() override {}
    bool ReadNetworkFiles() override { return false; }
};
