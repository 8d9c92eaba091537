#pragma once

#include "state/Ports.h"

#include <QObject>
#include <QTimer>

struct Panel;

// The Server port as the application provides it: the TCP/IP link of the protocol library and the
// network data file readers of File mode, and tmrFileCheck, whose tick is the poll of either mode.
class ServerAccess final : public QObject, public Server {
public:
    explicit ServerAccess(Panel& panel);

    void ConnectSocket() override;
    void DisconnectSocket() override;
    void SendCrosspointChange(int destination, int source) override;
    void SendSalvoExecute(int salvo) override;
    void ReadNetworkFiles(std::function<void(bool read)> then) override;
    void PollCycle() override;
    void setPollInterval(int milliseconds) override;
    void setPollEnabled(bool enabled) override;

    const QTimer& pollTimer() const { return m_tmrFileCheck; }

private:
    Panel& m_panel;
    QTimer m_tmrFileCheck;
};
