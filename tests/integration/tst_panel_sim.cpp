// The real main window (offscreen) with the real link, against the simulator in the same process:
// what an operator sees and does, end to end. Poll ticks are driven by the test; the socket and the
// decode timer run for real.

#include "support/LiveProgram.h"

#include "protocol/TcpComm.h"
#include "RouterModel.h"
#include "FileServer.h"
#include "SimServer.h"
#include "filemode/PollCycle.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace {

constexpr int Bound = 5000;  // ms, for every wait on the network

// The panel as main() builds it.
struct RealPanel : LiveProgram {
    // TCP/IP mode against the simulator's port.
    RealPanel(quint16 port, int output)
        : RealPanel(TcpIpSettingsFile(output, port, "Hide Inhibits=Yes\r\nStay On Top=No\r\n", "Poll Rate=1\r\nTime Out=30\r\n"))
    {
    }
    explicit RealPanel(const QByteArray& settings) : LiveProgram(settings) {}

    QString status1() const { return status(1); }

    // Polls (as the poll timer would, only faster) until the panel shows the router.
    bool populate()
    {
        return QTest::qWaitFor([&] {
            if (!s.PanelPopulated && s.Connected)
                PollTick(panel);
            return s.PanelPopulated && s.RxBuffer.isEmpty();  // the salvo keys follow the salvo names
        }, Bound);
    }
};

RouterConfig router()
{
    RouterConfig c;
    c.sources = 12;
    c.destinations = 6;
    c.inhibits = {{4, 2}};  // SRC 05 may not feed DST 03
    return c;
}

// A source box entry as the panel shows it: the name as the router sends it (8 characters).
QString entry(const QByteArray& name, int channel)
{
    return QString::fromLatin1(name).leftJustified(8) + QStringLiteral("   (ch %1)").arg(channel + 1);
}

} // namespace

class TestPanelSim final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheRouterAndTakes()
    {
        SimServer sim(router());
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        RealPanel p(sim.serverPort(), 3);
        QVERIFY(p.populate());

        // Every source but the inhibited one, sorted by name, the current one selected.
        QStringList expected;
        for (int ch = 0; ch < 12; ++ch)
            if (ch != 4)
                expected << entry(sim.model().sourceNames()[std::size_t(ch)], ch);
        std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return a.toUpper() < b.toUpper(); });
        QStringList shown;
        for (int i = 0; i < p.box()->count(); ++i)
            shown << p.box()->itemText(i);
        QCOMPARE(shown, expected);
        QCOMPARE(p.box()->currentText(), entry(sim.model().sourceNames()[std::size_t(sim.model().sourceOf(2))], sim.model().sourceOf(2)));
        QVERIFY(p.status1().startsWith(QStringLiteral("Destination: DST 03")));
        QVERIFY(p.status1().endsWith(QStringLiteral(" [003]")));
        QVERIFY(p.box()->isEnabled());
        QVERIFY(p.box()->hasFocus());

        // The operator moves one entry down on the closed box: a take of the entry below, shown
        // only once the server confirms it.
        const int before = p.box()->currentIndex();
        QTest::keyClick(p.box(), Qt::Key_Down);
        const QString chosen = p.box()->itemText(before + 1);
        QCOMPARE(p.box()->currentIndex(), before);
        QTRY_COMPARE_WITH_TIMEOUT(p.box()->currentText(), chosen, Bound);
        QCOMPARE(entry(sim.model().sourceNames()[std::size_t(sim.model().sourceOf(2))], sim.model().sourceOf(2)), chosen);
    }

    // A 4096 x 4096 router: its tables span many reads and the source box holds every source
    // but the inhibited one.
    void largeRouterArrivesWhole()
    {
        RouterConfig c = router();
        c.sources = c.destinations = 4096;
        SimServer sim(c);
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        RealPanel p(sim.serverPort(), 3);
        QVERIFY(p.populate());
        QCOMPARE(p.box()->count(), 4095);
        const int current = sim.model().sourceOf(2);
        QCOMPARE(p.box()->currentText(), entry(sim.model().sourceNames()[std::size_t(current)], current));
    }

    // File mode: the panel reads the simulator's files (a name cut to their 8 characters, an
    // inhibited source hidden), a take becomes a command file that the simulator carries out,
    // the next poll tick shows it.
    void fileModeEndToEnd_data()
    {
        Columns<int, int, int>("sources", "destinations", "type");
        QTest::newRow("classic files, 256 x 256") << 256 << 256 << 1201;
        QTest::newRow("extended files, 1351") << 40 << 12 << 1351;
    }
    void fileModeEndToEnd()
    {
        auto [sources, destinations, type] = Fetch<int, int, int>("sources", "destinations", "type");
        QTemporaryDir files;
        RouterConfig config;
        config.sources = sources;
        config.destinations = destinations;
        config.systemType = type;
        config.inhibits = {{5, 2}};  // source 6 may not feed the controlled destination
        RouterModel model(config);
        model.setSourceName(0, "LONG NAME OF 16");  // longer than the files' 8 characters
        FileServerOptions options;
        options.directory = files.path();
        options.scanMilliseconds = 1000000;  // scanned by the test
        FileServer server(model, options);
        QString error;
        QVERIFY2(server.start(&error), qPrintable(error));

        RealPanel p(FileModeSettingsFile(files.path() + u'/'));
        p.panel.server.setPollEnabled(false);  // ticks are driven here
        // One tick, its files read by the worker and applied.
        const auto tick = [&p] {
            FilePollTick(p.panel);
            QVERIFY(WaitUntil([&p] { return !p.s.FileTickPending; }, Bound));
        };
        QTRY_VERIFY_WITH_TIMEOUT(p.box()->isEnabled(), Bound);
        QCOMPARE(p.box()->currentText(), entry(model.sourceNames()[std::size_t(model.sourceOf(2))], model.sourceOf(2)));
        QVERIFY(model.sourceOf(2) != 5);
        QCOMPARE(p.box()->count(), model.routableSourceCount() - 1);
        QVERIFY(p.box()->findText(entry("LONG NAM", 0)) >= 0 && p.box()->findText(entry("SRC 06", 5)) < 0);
        tick();
        QCOMPARE(p.status(2), QStringLiteral("OK"));

        const int before = model.sourceOf(2);
        QTest::keyClick(p.box(), Qt::Key_Down);
        const QString chosen = p.box()->itemText(p.box()->currentIndex() + 1);
        // Scanned until the command file is there whole (the panel writes it from its worker).
        QTRY_VERIFY_WITH_TIMEOUT((server.scan(), model.sourceOf(2) != before), Bound);
        QVERIFY(QDir(files.path()).entryList({QStringLiteral("*.wcf")}).isEmpty());  // consumed
        tick();
        QCOMPARE(p.box()->currentText(), chosen);
    }
};

QTEST_MAIN(TestPanelSim)
#include "tst_panel_sim.moc"
