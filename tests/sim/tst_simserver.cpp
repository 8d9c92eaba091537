// The simulator over real TCP on the loopback interface: in-process with QTcpSocket clients, and
// the zeb-server-sim program itself.

#include "ServerMessages.h"
#include "SimServer.h"
#include "codec/ByteManipulation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

namespace {

constexpr int Timeout = 10000;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A panel stand-in: a socket that collects whatever arrives and cuts it into messages.
class Client {
public:
    explicit Client(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            ++arrivals;
            buffer.append(socket.readAll());
            for (QByteArray m = CutMessage(buffer); !m.isEmpty(); m = CutMessage(buffer))
                messages.append(m);
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected() { return socket.state() == QAbstractSocket::ConnectedState || socket.waitForConnected(Timeout); }

    QTcpSocket socket;
    QByteArray buffer;
    QList<QByteArray> messages;
    int arrivals = 0;
};

QList<QByteArray> allTables(const RouterModel& model)
{
    QList<QByteArray> out;
    for (const int bit : {Tables::SourceNames, Tables::DestinationNames, Tables::CrosspointMap,
                          Tables::InhibitMap, Tables::Salvos})
        for (const QByteArray& m : TableMessages(model, bit))
            out.append(m);
    return out;
}

const QByteArray AllTablesRequest = QByteArray::fromHex("F2 00 27 01 00 00 00 00 00 00 00 28 FF");

} // namespace

class TestSimServer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tablesOverTcpByteByByteWithNoise();
    void closeAfterDeliversTheAnswers();
    void programListensAndEnds();
    void programRejectsBadOptions_data();
    void programRejectsBadOptions();
};

// Every table arrives whole through single-byte writes with noise between the messages (whole
// messages are what tests/integration meets).
void TestSimServer::tablesOverTcpByteByByteWithNoise()
{
    RouterModel::Config config;
    config.sources = 300;
    config.inhibits = {{299, 0}};
    config.salvos = {{"SALVO", 1, {{1, 2}}}};
    SessionOptions options;
    options.byteByByte = true;
    options.noise = true;
    SimServer server(config, options);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QVERIFY(server.serverPort() != 0);

    Client client(server.serverPort());
    QVERIFY(client.connected());
    client.socket.write(hex("F5") + AllTablesRequest);

    QList<QByteArray> expected{hex("F4")};
    expected += allTables(server.model());
    const auto withoutStrays = [&client] {
        QList<QByteArray> out;
        for (const QByteArray& m : client.messages)
            if (m != hex("F3") && m != hex("FF"))
                out.append(m);
        return out;
    };
    QTRY_COMPARE_WITH_TIMEOUT(withoutStrays().size(), expected.size(), Timeout);
    QCOMPARE(withoutStrays(), expected);
    QVERIFY(client.arrivals > 1);
}

// The fault switch closes the connection after the given number of messages, with every answer
// delivered first.
void TestSimServer::closeAfterDeliversTheAnswers()
{
    SessionOptions options;
    options.closeAfter = 2;
    SimServer server({}, options);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    Client a(server.serverPort());
    QVERIFY(a.connected());
    QSignalSpy closed(&a.socket, &QTcpSocket::disconnected);
    a.socket.write(hex("F5 F5 F5"));
    QVERIFY(closed.wait(Timeout));
    QCOMPARE(a.messages, (QList<QByteArray>{hex("F4"), hex("F4")}));
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, Timeout);
}

void TestSimServer::programListensAndEnds()
{
    QProcess sim;
    sim.start(QStringLiteral(SIM_EXECUTABLE), {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--absent")});
    QVERIFY(sim.waitForStarted(Timeout));
    while (!sim.canReadLine() && sim.state() == QProcess::Running)
        QVERIFY(sim.waitForReadyRead(Timeout));
    const QString line = QString::fromLatin1(sim.readLine()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^zeb-server-sim listening on 127\\.0\\.0\\.1:(\\d+)$")).match(line);
    QVERIFY2(match.hasMatch(), qPrintable(line));
    const quint16 port = quint16(match.captured(1).toUInt());
    QVERIFY(port != 0);

    Client client(port);
    QVERIFY(client.connected());
    client.socket.write(hex("F5"));
    QTRY_COMPARE_WITH_TIMEOUT(client.messages, QList<QByteArray>{hex("F1")}, Timeout);

    sim.terminate();  // SIGTERM
    QVERIFY(sim.waitForFinished(Timeout));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimServer::programRejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    const auto args = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* a : list)
            out.append(QString::fromLatin1(a));
        return out;
    };
    QTest::newRow("unknown option") << args({"--bogus"}) << QStringLiteral("bogus");
    QTest::newRow("inhibit past the router") << args({"--sources", "4", "--inhibit", "5:1"})
                                             << QStringLiteral("5:1");
    QTest::newRow("salvo OFF on 1201") << args({"--salvo", "NAME:0:OFF>1"}) << QStringLiteral("OFF");
}

void TestSimServer::programRejectsBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QProcess sim;
    // Port 0 first, so that a wrongly accepted option cannot meet a port in use; a later --port wins.
    sim.start(QStringLiteral(SIM_EXECUTABLE), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
    QVERIFY(sim.waitForFinished(Timeout));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 2);
    const QString error = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(sim.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
