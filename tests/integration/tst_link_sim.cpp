// The panel's link logic over a real QTcpSocket (QtLink) against the simulator on an ephemeral
// loopback port. Poll ticks are driven by the test; the socket events arrive through the event loop.

#include "support/Fakes.h"

#include "app/QtLink.h"
#include "codec/ByteManipulation.h"
#include "protocol/Messages.h"
#include "protocol/TcpComm.h"
#include "RouterModel.h"
#include "SimServer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>

namespace {

constexpr int Bound = 5000;  // ms, for every wait on the network

// One panel: a fresh state, recording view and prompts, and a real socket link.
struct LivePanel : BasicTestPanel<QtLink> {
    explicit LivePanel(quint16 port)
    {
        InitVariables(s, server);
        s.TcpIpMode = true;
        s.IpAddress = QStringLiteral("127.0.0.1");
        s.IpPort = port;
    }

    // What tmrDecode does between events: one message per tick until nothing more is decoded.
    void decode()
    {
        for (qsizetype before = -1; !s.RxBuffer.isEmpty() && s.RxBuffer.size() != before;) {
            before = s.RxBuffer.size();
            tmrDecode_Timer(panel);
        }
    }

    // Connects and polls until every table has arrived and the panel is populated.
    bool populate()
    {
        ConnectSocket(panel);
        if (!QTest::qWaitFor([&] { return s.Connected; }, Bound))
            return false;
        // Poll (as the poll timer would, only faster) until the switcher is reported present; a
        // server that asks for a password first answers polls only after the login.
        if (!QTest::qWaitFor([&] {
                decode();
                if (!s.SystemOnline)
                    PollTick(panel);
                return s.SystemOnline && s.PendingTables == 0;
            }, Bound))
            return false;
        PollTick(panel);
        return s.PanelPopulated;
    }
};

RouterConfig smallRouter()
{
    RouterConfig c;
    c.sources = 12;
    c.destinations = 6;
    c.inhibits = {{3, 2}};
    c.salvos = {Salvo{QByteArrayLiteral("Night"), 0, {{7, 1}, {8, 4}}},
                Salvo{QByteArrayLiteral("Keyed"), 5, {{9, 0}}}};
    return c;
}

} // namespace

class TestLinkSim final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void takesComeBackFromTheServer_data()
    {
        QTest::addColumn<bool>("byteByByte");
        QTest::addColumn<bool>("noise");
        QTest::newRow("whole messages") << false << false;
        QTest::newRow("one byte at a time, noise between messages") << true << true;
    }
    void takesComeBackFromTheServer()
    {
        QFETCH(bool, byteByByte);
        QFETCH(bool, noise);
        SimServer sim(smallRouter());
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        LivePanel p(sim.serverPort());
        QVERIFY(p.populate());
        sim.setByteByByte(byteByByte);
        sim.setNoise(noise);

        // The panel's own change is shown only from the server's report.
        const int shown = p.s.OutputStatus[2].Sources[0];
        SendCrosspointChange(p.panel, 2, 5);
        QCOMPARE(p.s.OutputStatus[2].Sources[0], shown);
        QTRY_VERIFY_WITH_TIMEOUT((p.decode(), p.s.OutputStatus[2].Sources[0] == 5), Bound);
        QCOMPARE(sim.model().sourceOf(2), 5);

        // An inhibited route is refused: nothing changes on either side.
        const int before = sim.model().sourceOf(2);
        SendCrosspointChange(p.panel, 2, 3);
        SendCrosspointChange(p.panel, 0, 11);  // a later change that does go through
        QTRY_VERIFY_WITH_TIMEOUT((p.decode(), p.s.OutputStatus[0].Sources[0] == 11), Bound);
        QCOMPARE(p.s.OutputStatus[2].Sources[0], before);

        // A salvo's changes arrive as takes.
        SendSalvoExecute(p.panel, 0);
        QTRY_VERIFY_WITH_TIMEOUT((p.decode(), p.s.OutputStatus[1].Sources[0] == 7 && p.s.OutputStatus[4].Sources[0] == 8), Bound);
    }

    void lostLinkGivesNoSystem_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::newRow("server closes") << false;
        QTest::newRow("server goes silent") << true;
    }
    void lostLinkGivesNoSystem()
    {
        QFETCH(bool, silent);
        SimServer sim(smallRouter());
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        LivePanel p(sim.serverPort());
        p.s.IpTimeOut = 3;
        QVERIFY(p.populate());

        if (silent) {
            sim.setSilent(true);
            // IpTimeOut + 2 ticks without an answer end the link.
            for (int tick = 0; tick < p.s.IpTimeOut + 2; ++tick)
                PollTick(p.panel);
        } else {
            sim.closeAllConnections();
            QTRY_VERIFY_WITH_TIMEOUT(!p.s.Connected, Bound);
        }
        QVERIFY(!p.s.Connected);
        QVERIFY(!p.link.isConnected());
        QCOMPARE(p.view.status1, QStringLiteral("Not Connected"));
        QCOMPARE(p.view.sourceItems, QStringList{QStringLiteral("No System")});
        QCOMPARE(p.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Connect"));
        QCOMPARE(p.s.PendingTables, 0x5380);

        // The operator's Connect brings the panel back.
        sim.setSilent(false);
        QVERIFY(p.populate());
        QCOMPARE(p.view.menuCaption[MenuCommand::Connect], QStringLiteral("&Disconnect"));
    }

    void refusedConnectionIsReportedOnce()
    {
        quint16 port = 0;
        {
            SimServer sim;
            QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
            port = sim.serverPort();
        }  // nothing listens there any more
        LivePanel p(port);
        ConnectSocket(p.panel);
        QTRY_COMPARE_WITH_TIMEOUT(p.prompts.titles(), QStringList{QStringLiteral("Tova Vantrel")}, Bound);
        QCoreApplication::processEvents();  // a second report would come from the same socket
        QCOMPARE(p.prompts.titles().size(), 1);
        QCOMPARE(p.prompts.asked[0].text, QStringLiteral("Unable to connect to remote host"));
        QVERIFY(!p.s.Connected);
    }

    // A peer that sends faster than the panel decodes is held back, not buffered without end:
    // the link stops taking bytes while RxBuffer has a backlog, and takes the rest once the
    // decode timer has worked it off. Every one of the peer's polls is answered.
    void backloggedLinkTakesEverythingInTime()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        LivePanel p(server.serverPort());
        ConnectSocket(p.panel);
        QVERIFY(server.waitForNewConnection(Bound));
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_VERIFY_WITH_TIMEOUT(p.s.Connected, Bound);

        const qsizetype polls = 3 * RxBacklogLimit;
        peer->write(QByteArray(polls, char(Cmd::Poll)));
        qsizetype answers = 0;
        qsizetype largestBuffer = 0;
        QVERIFY(QTest::qWaitFor([&] {
            largestBuffer = std::max(largestBuffer, p.s.RxBuffer.size());
            for (int tick = 0; tick < 1000 && !p.s.RxBuffer.isEmpty(); ++tick)
                tmrDecode_Timer(p.panel);
            answers += peer->readAll().count(char(Cmd::PollPresent));
            return answers == polls;
        }, Bound));
        QVERIFY(largestBuffer < RxBacklogLimit + 64 * 1024);
    }
};

QTEST_MAIN(TestLinkSim)
#include "tst_link_sim.moc"
