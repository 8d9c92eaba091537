#pragma once

#include "RouterModel.h"
#include "SimSession.h"

#include <QHostAddress>
#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;

// The Server Module over TCP: one SimSession per accepted connection, all sharing one router
// model, and every crosspoint change reported to every connected panel. Usable in-process by
// tests: listen on port 0 and read serverPort().
class SimServer final : public QObject {
    Q_OBJECT
public:
    // Bytes a slow reader may leave unsent before its connection is dropped.
    static constexpr qint64 MaxPendingWrite = 16 * 1024 * 1024;

    explicit SimServer(const RouterModel::Config& config = {}, SessionOptions options = {},
                       QObject* parent = nullptr);
    ~SimServer() override;

    bool listen(const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 1250);
    QHostAddress serverAddress() const;
    quint16 serverPort() const;
    QString errorString() const;

    RouterModel& model() { return m_model; }
    // Connections that are open (closed ones are not counted).
    int connectionCount() const;
    // The sessions in order of connection, for tests to inspect their counters; a closed one
    // stays until the event loop next runs.
    std::vector<const SimSession*> sessions() const;

    // Applies to every connection, present and future.
    void setSwitcherPresent(bool present);
    void setSilent(bool silent);
    void setByteByByte(bool on);
    void setNoise(bool on);
    // Polls every panel every interval milliseconds; 0 stops it.
    void setPanelPollInterval(int milliseconds);
    // Closes every connection after writing what is already queued.
    void closeAllConnections();

    // Writes each whole message in hex to the given sink ("<" received, ">" sent).
    void setTrace(std::function<void(const QString&)> sink) { m_trace = std::move(sink); }

    // Carries out a change as if a panel had asked for it and reports it to every panel.
    bool route(const Crosspoint& change);

Q_SIGNALS:
    void connectionOpened();
    void connectionClosed();
    void takeReported(int source, int destination);

private:
    struct Connection {
        int id = 0;
        QTcpSocket* socket = nullptr;
        std::unique_ptr<SimSession> session;
        std::deque<QByteArray> dribble;  // byte-by-byte writes still to go, one per tick
        qint64 dribbleBytes = 0;
        bool closeWhenDrained = false;
        bool closed = false;
    };

    void accept();
    void readFrom(Connection& connection);
    void write(Connection& connection, const QByteArray& bytes);
    void dribbleTick();
    void close(Connection& connection);
    void markClosed(Connection& connection);
    void purge();
    void broadcast(const Crosspoint& change, int field);
    void forEachSession(const std::function<void(SimSession&)>& action);

    RouterModel m_model;
    SessionOptions m_options;
    QTcpServer* m_server;
    QTimer* m_pollTimer;
    QTimer* m_dribbleTimer;
    // Connections are only removed by purge(), queued after they close, so a session is never
    // destroyed while one of its own calls is still running.
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::function<void(const QString&)> m_trace;
    int m_connectionsAccepted = 0;
    bool m_purgeQueued = false;
};
