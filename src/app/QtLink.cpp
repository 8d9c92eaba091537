#include "app/QtLink.h"

#include "protocol/TcpComm.h"
#include "state/Panel.h"

QtLink::QtLink(Panel& panel) : m_panel(panel)
{
    m_socket.setObjectName(QStringLiteral("scktServer"));
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_connecting = false;
        // Polls are small and frequent; send them at once.
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        scktServer_Connect(m_panel);
    });
    // Bytes are taken from the kernel in small steps and only while the panel wants them, so a
    // peer that sends faster than the decode timer works is held back by TCP, not buffered here.
    m_socket.setReadBufferSize(ReadStep);
    connect(&m_socket, &QTcpSocket::readyRead, this, &QtLink::take);
    m_retake.setSingleShot(true);
    m_retake.setInterval(RetakeInterval);
    connect(&m_retake, &QTimer::timeout, this, &QtLink::take);
    // Runs only while RxBuffer holds bytes, so the idle panel does not wake every millisecond.
    m_tmrDecode.setObjectName(QStringLiteral("tmrDecode"));
    m_tmrDecode.setInterval(DecodeInterval);
    m_tmrDecode.setTimerType(Qt::PreciseTimer);
    connect(&m_tmrDecode, &QTimer::timeout, this, [this] {
        tmrDecode_Timer(m_panel);
    });
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, [this] {
        scktServer_ReconnectDue(m_panel);
    });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &QtLink::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &QtLink::onDisconnected);
}

QtLink::~QtLink()
{
    QObject::disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.abort();
}

bool QtLink::connectToHost(const QString& address, int port)
{
    if (address.trimmed().isEmpty() || port < 1 || port > MaxIpPort)
        return false;
    m_retake.stop();
    m_closing = true;
    m_socket.abort();
    m_closing = false;
    m_connecting = true;
    m_socket.connectToHost(address.trimmed(), static_cast<quint16>(port));
    return true;
}

void QtLink::close()
{
    m_retake.stop();
    m_connecting = false;
    m_closing = true;
    m_socket.abort();
    m_closing = false;
}

bool QtLink::isConnected() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool QtLink::write(const QByteArray& bytes)
{
    // QTcpSocket keeps what the kernel does not take yet and sends it in order.
    return m_socket.write(bytes) == bytes.size();
}

void QtLink::scheduleReconnect(int milliseconds) { m_reconnect.start(milliseconds); }

void QtLink::cancelReconnect() { m_reconnect.stop(); }

void QtLink::setDecodeTimerEnabled(bool enabled)
{
    if (enabled)
        m_tmrDecode.start();
    else
        m_tmrDecode.stop();
}

void QtLink::take()
{
    // Bytes still unread when the link closed belong to a connection that is gone.
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    if (!WantsMoreBytes(m_panel.s)) {
        // The socket keeps what it holds, and reads no more from the kernel, until the decode
        // timer has worked through the backlog.
        m_retake.start();
        return;
    }
    const QByteArray bytes = m_socket.readAll();
    if (!bytes.isEmpty())
        scktServer_DataArrival(m_panel, bytes);
}

void QtLink::onError(QAbstractSocket::SocketError)
{
    if (m_closing || !m_connecting)
        return;  // errors of an established connection end in disconnected()
    m_connecting = false;
    m_closing = true;
    m_socket.abort();
    m_closing = false;
    scktServer_ConnectFailed(m_panel);
}

void QtLink::onDisconnected()
{
    if (m_closing || m_connecting)
        return;
    m_retake.stop();
    scktServer_Close(m_panel);
}
