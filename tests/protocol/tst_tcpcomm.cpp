#include "codec/ByteManipulation.h"
#include "protocol/Messages.h"
#include "protocol/TcpComm.h"
#include "support/Fakes.h"

#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

const QByteArray Poll = hex("F5");
const QByteArray TypeRequest = hex("816464FF");
const QByteArray TypeReply = hex("81060107FF");
const QString ConnectFailure = QStringLiteral("Unable to connect to remote host");

// A panel in TCP/IP mode whose link the test connects through the socket events.
struct LinkPanel : TestPanel {
    LinkPanel()
    {
        InitVariables(s, server);
        s.TcpIpMode = true;
        s.IpAddress = QStringLiteral("10.0.0.5");
    }
    void connect()
    {
        ConnectSocket(panel);
        link.connected = true;
        scktServer_Connect(panel);
    }
    // A connected panel with every table in and the display filled.
    void populate()
    {
        connect();
        s.SystemOnline = true;
        s.SystemReady = true;
        s.PendingTables = 0;
        s.PanelPopulated = true;
        view.sourceItems = QStringList{QStringLiteral("Studio A"), QStringLiteral("Studio B")};
        view.sourceIndex = 1;
        view.setStatusText(1, QStringLiteral("Dest 1"));
    }
    int polls() const { return int(link.sent.count(Poll)); }
    int infoRequests() const
    {
        int n = 0;
        for (const QByteArray& m : link.sent)
            n += ByteAt(m, 0) == Cmd::InfoRequest;
        return n;
    }
};

void verifyNoSystem(const LinkPanel& t)
{
    QCOMPARE(t.s.OutputListIndex, 0);
    QCOMPARE(t.s.SourceListIndex, 0);
    QCOMPARE(t.s.InputAlphaList, std::vector<QString>{QStringLiteral("NoSystem")});
    QCOMPARE(t.s.OutputAlphaList, std::vector<QString>{QStringLiteral("NoSystem")});
    QCOMPARE(t.view.sourceItems, QStringList{QStringLiteral("No System")});
    QCOMPARE(t.view.sourceIndex, 0);
    QVERIFY(!t.s.Updating);
    QCOMPARE(t.view.status1, QStringLiteral("Not Connected"));
    QVERIFY(!t.s.SystemReady);
    QVERIFY(!t.s.PanelPopulated);
    QVERIFY(!t.s.SystemOnline);
    QCOMPARE(t.s.PendingTables, Tables::All);
}

} // namespace

class TestTcpComm final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectSocket_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<int>("connectCalls");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("unset address") << QStringLiteral("0.0.0.0") << false << 0 << QStringList();
        QTest::newRow("empty address") << QString() << false << 0 << QStringList();
        QTest::newRow("started") << QStringLiteral("10.0.0.5") << false << 1 << QStringList();
        QTest::newRow("cannot start") << QStringLiteral("10.0.0.5") << true << 1 << QStringList{ConnectFailure};
    }
    void connectSocket()
    {
        QFETCH(QString, address);
        QFETCH(bool, refuse);
        QFETCH(int, connectCalls);
        QFETCH(QStringList, messages);
        LinkPanel t;
        t.s.IpAddress = address;
        t.s.IpPort = 4711;
        t.link.refuseConnect = refuse;
        ConnectSocket(t.panel);
        QCOMPARE(t.link.connectCalls, connectCalls);
        if (connectCalls)
            QCOMPARE(t.link.port, 4711);
        QStringList texts;
        for (const auto& a : t.prompts.asked)
            texts << a.text;
        QCOMPARE(texts, messages);
        if (refuse) {
            QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Tova Vantrel")});
            QCOMPARE(t.link.closeCalls, 1);
        }
        QVERIFY(!t.s.Connected);
    }

    void connectFailsLater()
    {
        LinkPanel t;
        ConnectSocket(t.panel);
        QVERIFY(t.prompts.asked.empty());
        scktServer_ConnectFailed(t.panel);
        QCOMPARE(t.prompts.asked.size(), std::size_t(1));
        QCOMPARE(t.prompts.asked[0].text, ConnectFailure);
        QVERIFY(!t.s.Connected);
        QCOMPARE(t.view.menuCaption.count(MenuCommand::Connect), std::size_t(0));
    }

    void connectedEvent()
    {
        LinkPanel t;
        t.s.PollMissCount = 9;
        t.s.RequestRetryTicks = 9;
        t.s.RxBuffer = hex("FC0A");  // left from an earlier connection
        t.connect();
        QVERIFY(t.s.Connected);
        QCOMPARE(t.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Disconnect"));
        QCOMPARE(t.s.PollMissCount, 0);
        QCOMPARE(t.s.RequestRetryTicks, 0);
        QVERIFY(t.s.RxBuffer.isEmpty());
        QVERIFY(t.link.sent.isEmpty());  // the poll cycle starts the exchange
    }

    void linkEnds_data()
    {
        QTest::addColumn<bool>("byPeer");
        QTest::addColumn<bool>("promptShown");
        QTest::newRow("peer closes") << true << false;
        QTest::newRow("peer closes with prompt open") << true << true;
        QTest::newRow("operator disconnects") << false << false;
        QTest::newRow("operator disconnects with prompt open") << false << true;
    }
    void linkEnds()
    {
        QFETCH(bool, byPeer);
        QFETCH(bool, promptShown);
        LinkPanel t;
        t.populate();
        t.s.PollMissCount = 5;
        t.s.SwitcherPasswordShown = promptShown;
        t.s.RxBuffer = hex("F4");  // must not bring the system back after the link is gone
        if (byPeer) {
            t.link.connected = false;
            scktServer_Close(t.panel);
        } else {
            DisconnectSocket(t.panel);
        }
        verifyNoSystem(t);
        QVERIFY(!t.s.Connected);
        QCOMPARE(t.s.PollMissCount, 0);
        QCOMPARE(t.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Connect"));
        QCOMPARE(t.link.closeCalls, 1);
        QVERIFY(t.s.RxBuffer.isEmpty());
        QCOMPARE(t.prompts.closed.size(), std::size_t(promptShown ? 1 : 0));
        QVERIFY(t.link.sent.isEmpty());
    }

    // "Auto Reconnect": a lost link is connected again after 1, 2, 4 ... up to 30 s, silently,
    // until connected (the delays start again) or the operator disconnects; off, nothing happens.
    void autoReconnect_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("byTimeOut");  // the link went silent instead of being closed
        QTest::newRow("on, peer closes") << true << false;
        QTest::newRow("on, poll time-out") << true << true;
        QTest::newRow("off") << false << false;
    }
    void autoReconnect()
    {
        QFETCH(bool, on);
        QFETCH(bool, byTimeOut);
        LinkPanel t;
        t.s.AutoReconnect = on;
        t.populate();
        const auto lose = [&t, byTimeOut] {
            t.link.connected = false;
            if (byTimeOut) {
                t.s.PollMissCount = t.s.IpTimeOut + 1;
                PollTick(t.panel);
            } else {
                scktServer_Close(t.panel);
            }
        };
        lose();
        if (!on) {
            scktServer_ReconnectDue(t.panel);
            QVERIFY(t.link.reconnects.empty());
            QCOMPARE(t.link.connectCalls, 1);
            return;
        }
        for (int attempt = 0; attempt < 6; ++attempt) {
            scktServer_ReconnectDue(t.panel);
            scktServer_ConnectFailed(t.panel);
        }
        QVERIFY(t.prompts.asked.empty());  // nobody asked for these connects
        QCOMPARE(t.link.reconnects, (std::vector<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));
        QCOMPARE(t.link.connectCalls, 1 + 6);
        scktServer_ReconnectDue(t.panel);
        t.link.connected = true;
        scktServer_Connect(t.panel);
        lose();
        QCOMPARE(t.link.reconnects.back(), 1000);  // connected: the delays start again
        DisconnectSocket(t.panel);  // the operator
        QVERIFY(!t.link.reconnectPending);
    }

    void sendWhileNotConnected()
    {
        // Only the socket is closed (and an open prompt); the state is left to the link events.
        LinkPanel t;
        t.s.SwitcherPasswordShown = true;
        t.s.SystemOnline = true;
        t.s.PendingTables = 0x80;
        SendToSwitcher(t.panel, Poll);
        QVERIFY(t.link.sent.isEmpty());
        QCOMPARE(t.link.closeCalls, 1);
        QCOMPARE(t.prompts.closed, std::vector<Dialog>{Dialog::ServerPassword});
        QVERIFY(t.s.SystemOnline);
        QCOMPARE(t.s.PendingTables, 0x80);
    }

    void noSystemState()
    {
        LinkPanel t;
        t.populate();
        t.s.OutputListIndex = 7;
        t.s.SourceListIndex = 3;
        SetSystemState(t.panel, false);
        verifyNoSystem(t);
    }

    void messagesAfterNoSystemAreSafe()
    {
        // The name tables hold one entry while the counts still say 256: what arrives next
        // must not reach past them.
        LinkPanel t;
        t.populate();
        SetSystemState(t.panel, false);
        scktServer_DataArrival(t.panel, MessageBuilder(Cmd::Take).int14(1028).int14(200).int14(255).finish());
        scktServer_DataArrival(t.panel, hex("F4"));
        QVERIFY(t.s.SystemOnline);
        PollTick(t.panel);
        QVERIFY(!t.s.PanelPopulated);
    }

    void splitMessageJoined()
    {
        LinkPanel t;
        t.connect();
        scktServer_DataArrival(t.panel, hex("0181"));
        QVERIFY(t.link.decodeTimerEnabled);
        tmrDecode_Timer(t.panel);  // only the start of a message: nothing to do until more arrives
        QVERIFY(!t.link.decodeTimerEnabled);
        scktServer_DataArrival(t.panel, hex("64"));
        QVERIFY(t.link.decodeTimerEnabled);
        QVERIFY(t.link.sent.isEmpty());
        scktServer_DataArrival(t.panel, hex("64FF"));
        QCOMPARE(t.link.sent, QList<QByteArray>{TypeReply});
    }

    void decodeTimerDrainsOnePerTick()
    {
        LinkPanel t;
        t.connect();
        t.link.decodeTimerEnabled = false;
        scktServer_DataArrival(t.panel, Poll + TypeRequest + Poll);
        QVERIFY(t.link.decodeTimerEnabled);
        QCOMPARE(t.link.sent.size(), 1);
        tmrDecode_Timer(t.panel);
        QCOMPARE(t.link.sent.size(), 2);
        tmrDecode_Timer(t.panel);
        QCOMPARE(t.link.sent, (QList<QByteArray>{hex("F4"), TypeReply, hex("F4")}));
        QVERIFY(t.link.decodeTimerEnabled);
        tmrDecode_Timer(t.panel);
        QVERIFY(!t.link.decodeTimerEnabled);
    }

    void populateOnceTablesAreIn()
    {
        LinkPanel t;
        t.connect();
        t.s.PendingTables = 0;
        t.s.PanelPopulated = false;
        PollTick(t.panel);
        QVERIFY(t.s.PanelPopulated);
        QVERIFY(!t.s.Updating);
        QCOMPARE(t.view.status2, QStringLiteral("OK"));
        QVERIFY(t.view.sourceBoxEnabled);
        QCOMPARE(t.polls(), 1);
        QCOMPARE(t.infoRequests(), 0);
    }

    void missingTablesRequestedEvery27Ticks_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("requests");
        QTest::newRow("connected") << true << 3;
        QTest::newRow("not connected") << false << 0;
    }
    void missingTablesRequestedEvery27Ticks()
    {
        QFETCH(bool, connected);
        QFETCH(int, requests);
        LinkPanel t;
        if (connected)
            t.connect();
        t.s.PendingTables = 0x1080;
        t.s.IpTimeOut = 1000;
        QList<int> requestTicks;
        for (int tick = 1; tick <= 81; ++tick) {
            const int before = t.infoRequests();
            PollTick(t.panel);
            if (t.infoRequests() > before)
                requestTicks << tick;
        }
        QCOMPARE(t.infoRequests(), requests);
        if (connected) {
            QCOMPARE(requestTicks, (QList<int>{27, 54, 81}));
            QCOMPARE(t.link.sent.first(), Poll);
            QVERIFY(t.link.sent.contains(hex("F20021000000000000000021FF")));
        }
        QCOMPARE(t.s.PendingTables, 0x1080);
    }

    void pollTimeOut_data()
    {
        QTest::addColumn<int>("ipTimeOut");
        QTest::addColumn<int>("disconnectTick");
        QTest::newRow("default") << 30 << 32;
        QTest::newRow("zero") << 0 << 2;
        QTest::newRow("five") << 5 << 7;
    }
    void pollTimeOut()
    {
        QFETCH(int, ipTimeOut);
        QFETCH(int, disconnectTick);
        LinkPanel t;
        t.populate();
        t.s.IpTimeOut = ipTimeOut;
        scktServer_DataArrival(t.panel, hex("F4"));  // the last answer
        for (int tick = 1; tick < disconnectTick; ++tick)
            PollTick(t.panel);
        QVERIFY(t.s.Connected);
        QCOMPARE(t.polls(), disconnectTick - 1);

        PollTick(t.panel);
        QVERIFY(!t.s.Connected);
        QCOMPARE(t.s.PollMissCount, 0);
        QCOMPARE(t.view.status1, QStringLiteral("Not Connected"));
        QCOMPARE(t.link.closeCalls, 1);

        // Disconnected, the count starts again and only closes the closed socket each time.
        for (int tick = 1; tick <= disconnectTick; ++tick)
            PollTick(t.panel);
        QCOMPARE(t.link.closeCalls, 2);
        QCOMPARE(t.polls(), disconnectTick - 1);
    }

    void receiveBufferStaysBounded()
    {
        // Command bytes without an end never complete a message; the buffer must not grow
        // beyond its bound, and the stream must still recover.
        LinkPanel t;
        t.connect();
        const QByteArray chunk(MaxRxBuffer / 2 + 1, char(Cmd::AlphaTable));
        for (int i = 0; i < 3; ++i) {
            scktServer_DataArrival(t.panel, chunk);
            QVERIFY(t.s.RxBuffer.size() <= MaxRxBuffer);
        }
        const QStringList lines = t.logLines();
        QVERIFY(!lines.isEmpty());
        QVERIFY(lines.first().contains(QStringLiteral("IP Error")));
        QVERIFY(lines.first().contains(QStringLiteral("Error Receiving IP Message")));

        scktServer_DataArrival(t.panel, TypeRequest);
        QCOMPARE(t.link.sent, QList<QByteArray>{TypeReply});
        scktServer_DataArrival(t.panel, Poll);
        QCOMPARE(t.link.sent.last(), hex("F4"));
    }

    void takesMoreBytesUnlessBacklogged_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("wants");
        QByteArray polls(RxBacklogLimit, char(0xF5));
        QByteArray typeRequests;
        while (typeRequests.size() < RxBacklogLimit)
            typeRequests += TypeRequest;
        const QByteArray longStart = hex("81") + QByteArray(RxBacklogLimit, 'A');

        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("below the limit") << polls.left(RxBacklogLimit - 1) << true;
        QTest::newRow("single-byte messages at the limit") << polls << false;
        QTest::newRow("framed messages at the limit") << typeRequests << false;
        // Only more bytes can complete it, however long it is.
        QTest::newRow("start of one long message") << longStart << true;
        QTest::newRow("long message complete") << longStart + hex("FF") << false;
    }
    void takesMoreBytesUnlessBacklogged()
    {
        QFETCH(QByteArray, buffer);
        LinkPanel t;
        t.s.RxBuffer = buffer;
        QTEST(WantsMoreBytes(t.s), "wants");
    }
};

QTEST_GUILESS_MAIN(TestTcpComm)
#include "tst_tcpcomm.moc"
