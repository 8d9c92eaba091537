#pragma once

#include "state/Ports.h"

#include <QTcpSocket>
#include <QTimer>

struct Panel;

// scktServer: the Link over a QTcpSocket. Socket signals become the link's event operations;
// closing from our side raises no event.
class QtLink final : public QObject, public Link {
    Q_OBJECT
public:
    explicit QtLink(Panel& panel);
    // The socket goes without raising an event: its timers are gone by then.
    ~QtLink() override;

    bool connectToHost(const QString& address, int port) override;
    void close() override;
    bool isConnected() const override;
    bool write(const QByteArray& bytes) override;
    void scheduleReconnect(int milliseconds) override;
    void cancelReconnect() override;
    void setDecodeTimerEnabled(bool enabled) override;

private:
    static constexpr qint64 ReadStep = 64 * 1024;

    void take();  // the socket's bytes into the receive path, when the panel wants them
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();

    QTcpSocket m_socket;
    QTimer m_retake;  // asks again while the panel does not want more bytes
    QTimer m_reconnect;  // the delay of an automatic reconnect
    QTimer m_tmrDecode;  // works through RxBuffer, one message a tick, while it holds bytes
    Panel& m_panel;
    bool m_connecting = false;  // a connect was started and has not yet succeeded or failed
    bool m_closing = false;     // our own close: no event
};
