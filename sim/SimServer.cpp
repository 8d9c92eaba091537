#include "SimServer.h"

#include "ServerMessages.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

// Bytes read from a socket at a time; the socket itself buffers no more than this either.
constexpr qint64 ReadChunk = 64 * 1024;

} // namespace

SimServer::SimServer(const RouterModel::Config& config, SessionOptions options, QObject* parent)
    : QObject(parent)
    , m_model(config)
    , m_options(std::move(options))
    , m_server(new QTcpServer(this))
    , m_pollTimer(new QTimer(this))
    , m_dribbleTimer(new QTimer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimServer::accept);
    connect(m_pollTimer, &QTimer::timeout, this, [this] { forEachSession([](SimSession& s) { s.sendPoll(); }); });
    m_dribbleTimer->setInterval(0);
    connect(m_dribbleTimer, &QTimer::timeout, this, &SimServer::dribbleTick);
}

SimServer::~SimServer()
{
    for (const auto& connection : m_connections) {
        connection->socket->disconnect(this);
        connection->socket->abort();
    }
}

bool SimServer::listen(const QHostAddress& address, quint16 port)
{
    return m_server->listen(address, port);
}

QHostAddress SimServer::serverAddress() const
{
    return m_server->serverAddress();
}

quint16 SimServer::serverPort() const
{
    return m_server->serverPort();
}

QString SimServer::errorString() const
{
    return m_server->errorString();
}

int SimServer::connectionCount() const
{
    return int(std::count_if(m_connections.begin(), m_connections.end(),
                             [](const auto& c) { return !c->closed; }));
}

std::vector<const SimSession*> SimServer::sessions() const
{
    std::vector<const SimSession*> out;
    for (const auto& connection : m_connections)
        out.push_back(connection->session.get());
    return out;
}

void SimServer::accept()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        auto connection = std::make_unique<Connection>();
        Connection* c = connection.get();
        c->id = ++m_connectionsAccepted;
        c->socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setReadBufferSize(ReadChunk);

        SessionOptions options = m_options;
        options.noiseSeed = m_options.noiseSeed + quint32(c->id);
        SessionCallbacks callbacks;
        callbacks.write = [this, c](const QByteArray& bytes) { write(*c, bytes); };
        callbacks.broadcastTake = [this](const Crosspoint& change, int field) { broadcast(change, field); };
        callbacks.close = [this, c] { close(*c); };
        callbacks.trace = [this, c](bool outgoing, const QByteArray& message) {
            if (m_trace)
                m_trace(QStringLiteral("#%1 %2 %3")
                            .arg(c->id)
                            .arg(outgoing ? QStringLiteral(">") : QStringLiteral("<"),
                                 QString::fromLatin1(message.toHex(' '))));
        };
        c->session = std::make_unique<SimSession>(m_model, options, std::move(callbacks));

        connect(socket, &QTcpSocket::readyRead, this, [this, c] { readFrom(*c); });
        connect(socket, &QTcpSocket::disconnected, this, [this, c] { markClosed(*c); });
        m_connections.push_back(std::move(connection));
        Q_EMIT connectionOpened();
        c->session->start();
    }
}

void SimServer::readFrom(Connection& connection)
{
    while (!connection.closed && connection.socket->bytesAvailable() > 0) {
        connection.session->feed(connection.socket->read(ReadChunk));
        if (connection.session->closing())
            break;
    }
}

void SimServer::write(Connection& connection, const QByteArray& bytes)
{
    if (connection.closed)
        return;
    // A panel that stops reading must not make the simulator buffer without end.
    const qint64 pending = connection.socket->bytesToWrite() + connection.dribbleBytes;
    if (pending + bytes.size() > MaxPendingWrite) {
        connection.socket->abort();
        return;
    }
    if (connection.session->options().byteByByte || !connection.dribble.empty()) {
        connection.dribble.push_back(bytes);
        connection.dribbleBytes += bytes.size();
        if (!m_dribbleTimer->isActive())
            m_dribbleTimer->start();
        return;
    }
    connection.socket->write(bytes);
}

void SimServer::dribbleTick()
{
    bool more = false;
    for (const auto& connection : m_connections) {
        if (connection->closed || connection->dribble.empty())
            continue;
        const QByteArray bytes = std::move(connection->dribble.front());
        connection->dribble.pop_front();
        connection->dribbleBytes -= bytes.size();
        connection->socket->write(bytes);
        connection->socket->flush();
        if (connection->dribble.empty() && connection->closeWhenDrained)
            close(*connection);
        more = more || !connection->dribble.empty();
    }
    if (!more)
        m_dribbleTimer->stop();
}

void SimServer::close(Connection& connection)
{
    if (connection.closed)
        return;
    // What the session wrote before it asked to close still goes out first.
    if (!connection.dribble.empty()) {
        connection.closeWhenDrained = true;
        return;
    }
    // Queued: closing at once could end the connection inside its own read handler.
    QMetaObject::invokeMethod(connection.socket, &QTcpSocket::disconnectFromHost, Qt::QueuedConnection);
}

void SimServer::markClosed(Connection& connection)
{
    if (connection.closed)
        return;
    connection.closed = true;
    connection.dribble.clear();
    connection.dribbleBytes = 0;
    Q_EMIT connectionClosed();
    if (!m_purgeQueued) {
        m_purgeQueued = true;
        QMetaObject::invokeMethod(this, &SimServer::purge, Qt::QueuedConnection);
    }
}

void SimServer::purge()
{
    m_purgeQueued = false;
    const auto dead = std::stable_partition(m_connections.begin(), m_connections.end(),
                                            [](const auto& c) { return !c->closed; });
    for (auto it = dead; it != m_connections.end(); ++it)
        (*it)->socket->deleteLater();
    m_connections.erase(dead, m_connections.end());
}

void SimServer::broadcast(const Crosspoint& change, int field)
{
    Q_EMIT takeReported(change.source, change.destination);
    forEachSession([&](SimSession& s) { s.reportTake(change, field); });
}

void SimServer::forEachSession(const std::function<void(SimSession&)>& action)
{
    // By index: a connection accepted meanwhile is appended and simply included.
    for (std::size_t i = 0; i < m_connections.size(); ++i)
        if (!m_connections[i]->closed)
            action(*m_connections[i]->session);
}

bool SimServer::route(const Crosspoint& change)
{
    if (m_model.route(change.source, change.destination) != RouterModel::RouteResult::Done)
        return false;
    broadcast(change, change.source == m_model.offSource() ? TakeFieldOff : TakeField);
    return true;
}

void SimServer::setSwitcherPresent(bool present)
{
    m_options.switcherPresent = present;
    forEachSession([present](SimSession& s) { s.setSwitcherPresent(present); });
}

void SimServer::setSilent(bool silent)
{
    m_options.silent = silent;
    forEachSession([silent](SimSession& s) { s.setSilent(silent); });
}

void SimServer::setByteByByte(bool on)
{
    m_options.byteByByte = on;
    forEachSession([on](SimSession& s) { s.setByteByByte(on); });
}

void SimServer::setNoise(bool on)
{
    m_options.noise = on;
    forEachSession([on](SimSession& s) { s.setNoise(on); });
}

void SimServer::setPanelPollInterval(int milliseconds)
{
    if (milliseconds > 0)
        m_pollTimer->start(milliseconds);
    else
        m_pollTimer->stop();
}

void SimServer::closeAllConnections()
{
    for (const auto& connection : m_connections)
        close(*connection);
}
