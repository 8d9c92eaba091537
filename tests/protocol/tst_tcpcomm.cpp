#include "codec/ByteManipulation.h"
#include "protocol/TcpComm.h"
#include "support/Fakes.h"

namespace {

using Ints = QList<int>;
QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

const QByteArray Poll = hex("F5");
const QByteArray TypeRequest = hex("816464FF");
const QByteArray TypeReply = hex("81060107FF");

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
    // Connected with every table in and the display filled.
    void populate()
    {
        connect();
        s.SystemOnline = s.SystemReady = s.PanelPopulated = true;
        s.PendingTables = 0;
        s.OutputListIndex = s.SourceListIndex = view.sourceIndex = 1;
        view.sourceItems = QStringList{QStringLiteral("Studio A"), QStringLiteral("Studio B")};
        view.setStatusText(1, QStringLiteral("Dest 1"));
    }
};

} // namespace

class TestTcpComm final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // No address, no attempt; a connect that cannot even start is shown and the socket closed.
    void connectSocket()
    {
        LinkPanel t;
        t.s.IpAddress = QStringLiteral("0.0.0.0");
        ConnectSocket(t.panel);
        QCOMPARE(t.link.connectCalls, 0);
        t.s.IpAddress = QStringLiteral("10.0.0.5");
        t.link.refuseConnect = true;
        ConnectSocket(t.panel);
        QCOMPARE(t.link.connectCalls, 1);
        QCOMPARE(t.prompts.asked.at(0).text, QStringLiteral("Unable to connect to remote host"));
        QVERIFY(t.link.closeCalls == 1 && !t.s.Connected);
    }

    // Connected, the counts and what an earlier connection left start afresh. However the link
    // ends, the panel shows no system, and what was buffered cannot bring the system back. With
    // "Auto Reconnect" a lost link is connected again after 1, 2, 4 ... up to 30 s, silently, until
    // connected (the delays start again) or the operator disconnects.
    void linkEnds_data()
    {
        Columns<int, bool, std::vector<int>>("how", "autoReconnect", "reconnects");
        const std::vector<int> delays{1000, 2000, 4000, 8000, 16000, 30000, 30000, 1000};
        QTest::newRow("peer closes") << 0 << false << std::vector<int>{};
        QTest::newRow("peer closes, auto reconnect") << 0 << true << delays;
        QTest::newRow("poll time-out, auto reconnect") << 1 << true << delays;
        QTest::newRow("operator disconnects, auto reconnect") << 2 << true << std::vector<int>{};
        QTest::newRow("write on a link that died unnoticed") << 3 << false << std::vector<int>{};
    }
    void linkEnds()
    {
        QFETCH(int, how);
        LinkPanel t;
        QFETCH(bool, autoReconnect);
        QFETCH(std::vector<int>, reconnects);
        t.s.AutoReconnect = autoReconnect;
        t.s.PollMissCount = t.s.RequestRetryTicks = 9;
        t.s.RxBuffer = hex("FC0A");
        for (int round = 0; round < 2; ++round) {
            t.populate();
            QCOMPARE(t.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Disconnect"));
            QVERIFY(t.s.Connected && t.s.RxBuffer.isEmpty() && t.s.PollMissCount + t.s.RequestRetryTicks == 0);
            t.s.PollMissCount = t.s.IpTimeOut + 1;
            t.s.SwitcherPasswordShown = true;
            t.s.RxBuffer = hex("F4");
            t.link.connected = how == 2;
            how == 0   ? scktServer_Close(t.panel)
            : how == 1 ? PollTick(t.panel)
            : how == 2 ? DisconnectSocket(t.panel)
                       : SendToSwitcher(t.panel, Poll);
            for (int attempt = 0; attempt < (round == 0 && !reconnects.empty() ? 6 : 0); ++attempt) {
                scktServer_ReconnectDue(t.panel);
                scktServer_ConnectFailed(t.panel);
            }
        }
        QCOMPARE(t.s.OutputListIndex + t.s.SourceListIndex + t.s.PollMissCount, 0);
        QCOMPARE(t.s.InputAlphaList, (std::vector<QString>{QStringLiteral("NoSystem")}));
        QCOMPARE(t.s.OutputAlphaList, t.s.InputAlphaList);
        QCOMPARE(t.view.sourceItems, QStringList{QStringLiteral("No System")});
        QCOMPARE(t.view.sourceIndex, 0);
        QCOMPARE(t.view.status1, QStringLiteral("Not Connected"));
        QCOMPARE(t.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Connect"));
        QVERIFY(!t.s.Connected && !t.s.SystemReady && !t.s.PanelPopulated && !t.s.SystemOnline && !t.s.Updating);
        QCOMPARE(t.s.PendingTables, Tables::All);
        QVERIFY(t.s.RxBuffer.isEmpty() && t.link.sent.count(Poll) == 0);
        QCOMPARE(t.prompts.closed, std::vector<Dialog>(2, Dialog::ServerPassword));
        QCOMPARE(t.link.reconnects, reconnects);
        QVERIFY(t.prompts.asked.empty());  // nobody asked for the automatic connects
        DisconnectSocket(t.panel);
        QVERIFY(!t.link.reconnectPending);
        // A reconnect already due when the panel went over to File mode connects nothing.
        const int connects = t.link.connectCalls;
        t.s.TcpIpMode = false;
        scktServer_ReconnectDue(t.panel);
        QCOMPARE(t.link.connectCalls, connects);
    }

    // Each arrival and each tick decodes one message; a message split over arrivals is joined, and
    // the timer stops while only the start of one is there, or nothing.
    void decodeTimer()
    {
        LinkPanel t;
        t.connect();
        t.link.decodeTimerEnabled = false;
        scktServer_DataArrival(t.panel, Poll + TypeRequest + Poll + hex("0181"));
        QVERIFY(t.link.decodeTimerEnabled);
        for (int tick = 0; tick < 3; ++tick)
            tmrDecode_Timer(t.panel);
        QCOMPARE(t.link.sent, (QList<QByteArray>{hex("F4"), TypeReply, hex("F4")}));
        QVERIFY(!t.link.decodeTimerEnabled);
        scktServer_DataArrival(t.panel, hex("64"));
        QVERIFY(t.link.decodeTimerEnabled);
        scktServer_DataArrival(t.panel, hex("64FF"));
        QCOMPARE(t.link.sent.last(), TypeReply);
        tmrDecode_Timer(t.panel);
        QVERIFY(!t.link.decodeTimerEnabled);
    }

    // The poll tick: the panel is filled once every table is in; tables still missing are asked
    // for again every 27th tick, and only those; the link is dropped on the tick after IpTimeOut + 1
    // unanswered polls, and the count starts again while it is down.
    void pollTicks_data()
    {
        Columns<int, int, int, Ints, Ints, int>("pending", "ipTimeOut", "ticks", "requestTicks", "closeTicks", "polls");
        QTest::newRow("tables in") << 0 << 30 << 1 << Ints{} << Ints{} << 1;
        QTest::newRow("tables missing") << 0x1080 << 1000 << 81 << Ints{27, 54, 81} << Ints{} << 81;
        QTest::newRow("time-out 0") << 0 << 0 << 4 << Ints{} << Ints{2, 4} << 1;
    }
    void pollTicks()
    {
        QFETCH(int, ticks);
        LinkPanel t;
        t.connect();
        QFETCH(int, pending);
        t.s.PendingTables = pending;
        QFETCH(int, ipTimeOut);
        t.s.IpTimeOut = ipTimeOut;
        Ints requestTicks, closeTicks;
        for (int tick = 1; tick <= ticks; ++tick) {
            const int closes = t.link.closeCalls;
            PollTick(t.panel);
            if (t.link.sent.size() > 1 && t.link.sent.at(t.link.sent.size() - 2) == hex("F20021000000000000000021FF"))
                requestTicks << tick;
            if (t.link.closeCalls > closes)
                closeTicks << tick;
        }
        QTEST(requestTicks, "requestTicks");
        QTEST(closeTicks, "closeTicks");
        QTEST(int(t.link.sent.count(Poll)), "polls");
        QCOMPARE(t.s.PendingTables, closeTicks.isEmpty() ? pending : Tables::All);
        if (pending == 0 && closeTicks.isEmpty()) {
            QVERIFY(t.s.PanelPopulated && !t.s.Updating && t.view.sourceBoxEnabled && !t.view.sourceItems.isEmpty());
            QCOMPARE(t.view.status2, QStringLiteral("OK"));
        }
    }

    // A peer that never ends its message cannot grow the buffer past its bound; the newest bytes
    // are kept, so the stream recovers at once.
    void receiveBufferStaysBounded()
    {
        LinkPanel t;
        t.connect();
        const QByteArray chunk(MaxRxBuffer / 2 + 1, char(Cmd::AlphaTable));
        scktServer_DataArrival(t.panel, QByteArray(MaxRxBuffer, char(Cmd::AlphaTable)));  // full, not over
        QVERIFY(t.logLines().isEmpty());
        for (int i = 0; i < 3; ++i) {
            scktServer_DataArrival(t.panel, chunk);
            QVERIFY(t.s.RxBuffer.size() <= MaxRxBuffer);
        }
        QVERIFY(t.logLines().value(0).contains(QStringLiteral("IP Error")));
        QVERIFY(t.logLines().value(0).contains(QStringLiteral("Error Receiving IP Message")));
        scktServer_DataArrival(t.panel, QByteArray(MaxRxBuffer, '\x01') + TypeRequest);
        QCOMPARE(t.link.sent, QList<QByteArray>{TypeReply});
    }
};

QTEST_GUILESS_MAIN(TestTcpComm)
#include "tst_tcpcomm.moc"
