// The socket link (QtLink) over a real QTcpSocket on an ephemeral loopback port: what only a real
// socket shows, a refused connection's report and a peer that sends faster than the panel decodes.

#include "support/Fakes.h"

#include "app/QtLink.h"
#include "codec/ByteManipulation.h"
#include "protocol/TcpComm.h"

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
};

} // namespace

class TestQtLink final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedConnectionIsReportedOnce()
    {
        quint16 port = 0;
        {
            QTcpServer server;
            QVERIFY(server.listen(QHostAddress::LocalHost, 0));
            port = server.serverPort();
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

QTEST_MAIN(TestQtLink)
#include "tst_qtlink.moc"
