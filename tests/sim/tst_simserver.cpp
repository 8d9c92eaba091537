// The simulator over real TCP on the loopback interface, with the faults tests/integration puts
// on: single-byte writes with noise between the messages, and a close after so many messages.

#include "ServerMessages.h"
#include "SimServer.h"
#include "codec/ByteManipulation.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

class TestSimServer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every answer arrives whole, and the close comes after the answers to the messages before it.
    void answersArriveWholeBeforeTheClose()
    {
        RouterModel::Config config;
        config.sources = 300;
        SessionOptions options;
        options.byteByByte = options.noise = true;
        options.closeAfter = 2;
        SimServer server(config, options);
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QTcpSocket socket;
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        socket.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(socket.waitForConnected(10000));
        // A poll, the info request for the source names (bit 8: the second 7-bit group), a poll.
        socket.write("\xF5" + MessageBuilder(Cmd::InfoRequest).byte(0).byte(2).bytes(QByteArray(8, '\0')).finish() + "\xF5");
        QVERIFY(closed.wait(10000));
        QByteArray stream = socket.readAll();
        QList<QByteArray> messages;
        for (QByteArray m = CutMessage(stream); !m.isEmpty(); m = CutMessage(stream))
            if (m != QByteArray::fromHex("F3") && m != QByteArray::fromHex("FF"))
                messages.append(m);
        QList<QByteArray> expected{QByteArray::fromHex("F4")};
        for (const QByteArray& m : TableMessages(server.model(), Tables::SourceNames))
            expected.append(m);
        QCOMPARE(messages, expected);
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
