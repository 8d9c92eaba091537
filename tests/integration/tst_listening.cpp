// The panel never stops listening: with a box or a prompt left open by the operator, and on a
// server share that stopped answering, the link, the poll and the window go on. The real program's
// parts (window, prompts, socket link, file worker, timers) against the simulator.

#include "support/LiveProgram.h"
#include "support/HungShare.h"
#include "support/SimFiles.h"

#include "SimServer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>

namespace {

constexpr int Bound = 5000;  // ms, for every wait on the network or the worker

// The panel exactly as main() builds it, started from the given settings file.
using LivePanel = LiveProgram;

// The top-level window of that name that is showing, or null.
QWidget* Showing(const QString& objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == objectName)
            return w;
    return nullptr;
}

// The longest stretch (ms) in which the event loop did not run, over the next ms milliseconds: a
// window that repaints and answers its menus has no stretch of more than a few milliseconds.
qint64 LongestStall(int ms)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    beat.start(5);
    QTest::qWait(ms);
    return std::max(longest, clock.elapsed() - last);
}

RouterConfig SmallRouter()
{
    RouterConfig c;
    c.sources = 12;
    c.destinations = 6;
    c.systemType = 1351;
    return c;
}

} // namespace

class TestListening final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The "Enter Password" prompt stays open far longer than the link's time-out: the panel keeps
    // reading, answers the server's polls and does not time out; the password then logs it in.
    void passwordPromptKeepsTheLink()
    {
        SessionOptions options;
        options.password = "abc";
        SimServer sim(SmallRouter(), options);
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        sim.setPanelPollInterval(100);
        LivePanel p(TcpIpSettingsFile(2, sim.serverPort(), "Hide Inhibits=Yes\r\nStay On Top=No\r\n", "Poll Rate=1\r\nTime Out=1\r\n"));
        QVERIFY(WaitUntil([] { return Showing(QStringLiteral("frmSwitcherPassword")) != nullptr; }, Bound));
        const int answered = sim.sessions().front()->pollAnswersReceived();

        // Time Out 1 at 1 s a tick: a panel that stopped reading drops the link after 3 s.
        QTest::qWait(4500);
        QVERIFY(p.s.Connected);
        QCOMPARE(sim.connectionCount(), 1);
        QVERIFY2(sim.sessions().front()->pollAnswersReceived() > answered + 20,
                 "the server's polls went unanswered while the prompt was open");
        QWidget* prompt = Showing(QStringLiteral("frmSwitcherPassword"));
        QVERIFY(prompt);

        prompt->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->setText(QStringLiteral("abc"));
        prompt->findChild<QPushButton*>(QStringLiteral("CmdOk"))->click();
        QVERIFY(WaitUntil([&p] { return p.s.PanelPopulated; }, Bound));
        QCOMPARE(p.box()->count(), 12);
    }

    // "Auto Reconnect=Yes": a link the server closes is connected again by itself, and a server
    // that was not there at start-up is connected once it is; a link to a server that reports the
    // switcher absent stays up as it is. Absent or "No" leaves a lost link down.
    void autoReconnect_data()
    {
        Columns<QByteArray, QByteArray>("setting", "server");  // server: "closes" the link, starts "late", switcher "absent"
        QTest::newRow("Yes, server closes the link") << QByteArray("Yes") << QByteArray("closes");
        QTest::newRow("Yes, server starts late") << QByteArray("Yes") << QByteArray("late");
        QTest::newRow("Yes, switcher absent") << QByteArray("Yes") << QByteArray("absent");
        QTest::newRow("absent, server closes the link") << QByteArray() << QByteArray("closes");
        QTest::newRow("No, server closes the link") << QByteArray("No") << QByteArray("closes");
        QTest::newRow("absent, server starts late") << QByteArray() << QByteArray("late");
    }
    void autoReconnect()
    {
        auto [setting, server] = Fetch<QByteArray, QByteArray>("setting", "server");
        const bool serverLate = server == "late";
        SessionOptions options;
        options.closeAfter = server == "closes" ? 10 : 0;
        options.switcherPresent = server != "absent";
        SimServer sim(SmallRouter(), options);
        QTcpServer reserve;  // a free port, closed again while the server is late
        QVERIFY(reserve.listen(QHostAddress::LocalHost, 0));
        const quint16 port = reserve.serverPort();
        reserve.close();
        if (!serverLate)
            QVERIFY(sim.listen(QHostAddress::LocalHost, port));
        sim.setPanelPollInterval(50);
        LivePanel p(TcpIpSettingsFile(2, port, "Stay On Top=No\r\n",
                                      "Poll Rate=1\r\nTime Out=30\r\n" + (setting.isEmpty() ? QByteArray() : "Auto Reconnect=" + setting + "\r\n")));
        int opened = 0;
        connect(&sim, &SimServer::connectionOpened, this, [&opened] { ++opened; });
        if (serverLate) {
            QTest::qWait(1500);
            QVERIFY(sim.listen(QHostAddress::LocalHost, port));
        }
        const bool on = setting == "Yes" && server != "absent";
        const bool again = WaitUntil([&opened, serverLate] { return opened >= (serverLate ? 1 : 2); }, on ? 8000 : 3000);
        QCOMPARE(again, on);
        // The link to an absent switcher is the first one still, its polls answered 0xF1.
        QVERIFY(server == "absent" ? p.s.Connected && !p.s.SystemOnline && opened == 1 && sim.sessions().front()->messagesReceived() >= 2
                                   : on || !p.s.Connected);
    }

    // The lost-server box is left open; the server comes back with a new route meanwhile: the
    // poll goes on underneath and shows "OK" and the new source within two ticks (the first
    // after the return, or the next when a read was still out then).
    void lostServerBoxKeepsPolling()
    {
        SimFiles files(SmallRouter());
        QVERIFY(files.start());
        LivePanel p(FileModeSettingsFile(files.path(), 200, 1));
        QVERIFY(WaitUntil([&p] { return p.box()->isEnabled() && p.status(2) == u"OK"; }, Bound));

        files.server.beginOutage();
        QVERIFY(WaitUntil([] { return BoxShowing(QStringLiteral("Error Reading Network Files")); }, Bound));
        QCOMPARE(p.status(2), QStringLiteral("NF"));

        QVERIFY(files.model.route(7, 2) == RouterModel::RouteResult::Done);
        files.server.crosspointsChanged();
        QObject counter;
        int ticks = 0;
        connect(&static_cast<ServerAccess&>(p.panel.server).pollTimer(), &QTimer::timeout, &counter, [&ticks] { ++ticks; });
        files.server.endOutage();
        QVERIFY(WaitUntil([&p] { return p.status(2) == u"OK" && p.box()->currentText().startsWith(u"SRC 08"); }, Bound));
        QVERIFY2(ticks <= 2, qPrintable(QStringLiteral("took %1 ticks").arg(ticks)));
        QVERIFY(BoxShowing(QStringLiteral("Error Reading Network Files")));  // still open
    }

    // The server share stops answering: the window stays live, the outage is reported after the
    // time-out (1 s) and not before, a take fails after its own time-out, and File > Exit works
    // at once and writes the settings.
    void hungShareLeavesTheWindowLive()
    {
#ifndef HANGFS_EXECUTABLE
        QSKIP("built without libfuse3: no hung share to test with");
#else
        SimFiles files(SmallRouter());
        QVERIFY(files.start());
        HungShare share;
        QString why;
        QVERIFY2(share.mount(files.dir.path(), &why), qPrintable(why));

        LivePanel p(FileModeSettingsFile(share.path(), 200, 1));
        QVERIFY(WaitUntil([&p] { return p.box()->isEnabled() && p.status(2) == u"OK"; }, Bound));

        share.hang();
        QVERIFY2(LongestStall(1000) < 500, "the event loop stalled on the hung share");
        QVERIFY(!BoxShowing(QStringLiteral("Error Reading Network Files")));
        QVERIFY(WaitUntil([] { return BoxShowing(QStringLiteral("Error Reading Network Files")); }, Bound));
        QCOMPARE(p.status(2), QStringLiteral("NF"));
        BoxShowing(QStringLiteral("Error Reading Network Files"))->button(QMessageBox::Ok)->click();

        // A take's command file cannot be written: the take fails after its time-out.
        QTest::keyClick(p.box(), Qt::Key_Down);
        QVERIFY(WaitUntil([] { return BoxShowing(QStringLiteral("Command Error")); }, Bound));
        QVERIFY(BoxShowing(QStringLiteral("Command Error"))->text().contains(u"Error Sending Crosspoint Command To Server!"));
        BoxShowing(QStringLiteral("Command Error"))->button(QMessageBox::Ok)->click();

        p.s.IpAddress = QStringLiteral("10.1.2.3");  // a setting changed in the run
        QElapsedTimer exit;
        exit.start();
        p.window.findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(p.s.ShutDownDone && !p.program.finishWorker(100));  // still blocked on the share, and not waited for
        QVERIFY2(exit.elapsed() < 1000, qPrintable(QStringLiteral("shut-down took %1 ms").arg(exit.elapsed())));
        QVERIFY(ReadTestFile(p.s.AppDir + QStringLiteral("zebntpnl.ini")).contains("IP Address=10.1.2.3\r\n"));
        share.resume();
#endif
    }
};

QTEST_MAIN(TestListening)
#include "tst_listening.moc"
