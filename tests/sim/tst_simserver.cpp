// The simulator over real TCP on the loopback interface: in-process with QTcpSocket clients, and
// the zeb-server-sim program itself.

#include "ServerMessages.h"
#include "SimServer.h"
#include "protocol/ByteManipulation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

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
    void tablesOverTcp_data();
    void tablesOverTcp();
    void takesReachEveryPanel();
    void closing();
    void programHelp();
    void programListensAndEnds();
    void programRejectsBadOptions_data();
    void programRejectsBadOptions();
};

void TestSimServer::tablesOverTcp_data()
{
    QTest::addColumn<bool>("byteByByte");
    QTest::addColumn<bool>("noise");
    QTest::newRow("whole messages") << false << false;
    QTest::newRow("byte by byte") << true << false;
    QTest::newRow("byte by byte with noise") << true << true;
}

void TestSimServer::tablesOverTcp()
{
    QFETCH(bool, byteByByte);
    QFETCH(bool, noise);

    RouterModel::Config config;
    config.sources = 300;
    config.inhibits = {{299, 0}};
    config.salvos = {{"SALVO", 1, {{1, 2}}}};
    SessionOptions options;
    options.byteByByte = byteByByte;
    options.noise = noise;
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
    if (byteByByte)
        QVERIFY(client.arrivals > 1);
}

void TestSimServer::takesReachEveryPanel()
{
    SimServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QSignalSpy opened(&server, &SimServer::connectionOpened);
    QSignalSpy reported(&server, &SimServer::takeReported);
    Client a(server.serverPort());
    Client b(server.serverPort());
    QVERIFY(a.connected());
    QVERIFY(b.connected());
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 2, Timeout);
    QCOMPARE(opened.count(), 2);

    // A's change is reported to both; a refused one to neither.
    a.socket.write(hex("FE 04 08 05 00 02 00 13 FF"));
    const QByteArray take = hex("FE 04 08 05 00 02 00 13 FF");
    QTRY_COMPARE_WITH_TIMEOUT(b.messages, QList<QByteArray>{take}, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages, QList<QByteArray>{take}, Timeout);
    QCOMPARE(reported.count(), 1);
    QCOMPARE(reported.at(0), (QList<QVariant>{5, 2}));
    QCOMPARE(server.model().sourceOf(2), 5);

    // A change made at the router itself reaches every panel as well.
    QVERIFY(server.route({7, 0}));
    QVERIFY(!server.route({32, 0}));
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.size(), 2, Timeout);
    QTRY_COMPARE_WITH_TIMEOUT(b.messages.size(), 2, Timeout);
    QCOMPARE(b.messages.last(), TakeMessage(7, 0));
}

void TestSimServer::closing()
{
    SessionOptions options;
    options.closeAfter = 2;
    SimServer server({}, options);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));

    // After its second message the connection ends, with both answers delivered.
    Client a(server.serverPort());
    QVERIFY(a.connected());
    QSignalSpy aClosed(&a.socket, &QTcpSocket::disconnected);
    a.socket.write(hex("F5 F5 F5"));
    QVERIFY(aClosed.wait(Timeout));
    QCOMPARE(a.messages, (QList<QByteArray>{hex("F4"), hex("F4")}));
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, Timeout);

    // On demand: every connection closes.
    Client b(server.serverPort());
    QVERIFY(b.connected());
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 1, Timeout);
    QSignalSpy bClosed(&b.socket, &QTcpSocket::disconnected);
    server.closeAllConnections();
    QVERIFY(bClosed.wait(Timeout));
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, Timeout);
}

void TestSimServer::programHelp()
{
    QProcess sim;
    sim.start(QStringLiteral(SIM_EXECUTABLE), {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(Timeout));
    QCOMPARE(sim.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(sim.readAllStandardOutput());
    for (const char* option : {"--listen", "--port", "--sources", "--destinations", "--type", "--name-length",
                               "--inhibit", "--salvo", "--password", "--send-type-request", "--send-version",
                               "--absent", "--silent", "--close-after", "--byte-by-byte", "--noise", "--verbose"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
    QVERIFY(help.contains(QStringLiteral("1-based")));
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
    QTest::newRow("no sources") << args({"--sources", "0"}) << QStringLiteral("--sources");
    QTest::newRow("port too large") << args({"--port", "65536"}) << QStringLiteral("--port");
    QTest::newRow("unknown type") << args({"--type", "1300"}) << QStringLiteral("--type");
    QTest::newRow("inhibit without destination") << args({"--inhibit", "3"}) << QStringLiteral("SRC:DST");
    QTest::newRow("inhibit past the router") << args({"--sources", "4", "--inhibit", "5:1"})
                                             << QStringLiteral("5:1");
    QTest::newRow("salvo change malformed") << args({"--salvo", "NAME:1:3-4"}) << QStringLiteral("SRC>DST");
    QTest::newRow("salvo OFF on 1201") << args({"--salvo", "NAME:0:OFF>1"}) << QStringLiteral("OFF");
    QTest::newRow("password not ASCII") << args({"--password", "p\xc3\xa4ss"}) << QStringLiteral("ASCII");
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
