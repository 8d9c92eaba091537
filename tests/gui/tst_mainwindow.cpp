// The real main window driven through start-up and shut-down, with the server and the operator's
// answers faked. Runs offscreen.

#include "app/MainWindow.h"
#include "core/Startup.h"
#include "state/Panel.h"
#include "support/Fakes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>

namespace {

bool isTopMost(const QWidget& window) { return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// A settings file of TCP/IP mode, topmost.
const QByteArray SettingsFile = TcpIpSettingsFile(5, 1250, "Stay On Top=Yes\r\n", "Poll Rate=1\r\nTime Out=30\r\n");

// The real window with a fresh state, faked ports and AppDir in a temporary directory.
struct WindowPanel {
    QTemporaryDir dir;
    PanelState s;
    RecordingView promptView;  // only for ScriptedPrompts' bookkeeping
    ScriptedPrompts prompts{promptView};
    FixedClock clock;
    FakeServer server;
    RecordingLink link;
    ManualWorker worker;
    Panel panel{s, window, prompts, clock, server, link, worker};
    MainWindow window{panel};

    WindowPanel() { s.AppDir = dir.path() + QDir::separator(); }

    QString settingsPath() const { return s.AppDir + QStringLiteral("zebntpnl.ini"); }

    // Destination 4 with four sources offered, the current one at index 1 (channel 11), as the
    // display leaves it once the tables are in.
    void populate()
    {
        InitVariables(s, server);
        s.TcpIpMode = true;
        s.PanelPopulated = true;
        s.OutputControlled = 4;
        s.OffListIndex = s.NumInputs + 1;
        s.SourceListIndex = 1;
        s.CurrentSource = 11;
        for (int k = 0; k < 4; ++k)
            s.ComboChannelList[std::size_t(k)] = 10 + k;
        window.clearSourceBox();
        window.addSourceItems({QStringLiteral("Alpha   (ch 11)"), QStringLiteral("Bravo   (ch 12)"),
                               QStringLiteral("Charlie   (ch 13)"), QStringLiteral("Delta   (ch 14)")});
        window.setSourceIndex(1);
        window.setSourceBoxEnabled(true);
    }

    QComboBox* sourceBox() const { return window.findChild<QComboBox*>(QStringLiteral("cmboSourceSelect")); }
};

} // namespace

class TestMainWindow final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Closing the window is under test; it must not end the test run.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // The window keeps its size and the source box its place, whatever texts it is given; it is
    // never narrower than the classic 2640 twips (176 pixels), and wide enough that a destination
    // of 16 characters of the font's widest letter and every connection state show whole.
    void readableFixedLayout()
    {
        WindowPanel p;
        WriteTestFile(p.settingsPath(), SettingsFile);
        Form_Load(p.panel);
        p.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window));

        QComboBox* box = p.sourceBox();
        const QSize size = p.window.size();
        QVERIFY(size.width() >= 176);
        QCOMPARE(box->pos(), QPoint(8, 8));
        QCOMPARE(box->width(), p.window.centralWidget()->width() - 16);
        QCOMPARE(p.window.minimumSize(), size);
        QCOMPARE(p.window.maximumSize(), size);

        const auto whole = [&p](const char* panel, const QString& text) {
            auto* label = p.window.findChild<QLabel*>(QLatin1String(panel));
            return label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width() - label->indent();
        };
        QVERIFY(whole("StatusBar1Panel1", QStringLiteral("Destination: WWWWWWWWWWWWWWWW [256]")));
        // The source box shows a source of 16 of the widest letters with its four-digit channel whole.
        QStyleOptionComboBox option;
        option.initFrom(box);
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
        QVERIFY(box->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWWWWWWWW   (ch 4096)")) <= field.width());
        QVERIFY(whole("StatusBar1Panel1", QStringLiteral("Destination: WWWWWWWWWWWWWWWW [4096]")));

        QVERIFY(whole("StatusBar1Panel1", QStringLiteral("Destination Controlled (NC) ")));
        for (const char* state : {"NF", "NC", "OK"})
            QVERIFY(whole("StatusBar1Panel2", QLatin1String(state)));

        p.window.setStatusText(1, QStringLiteral("Destination: A destination with a long name [256]"));
        p.window.setStatusText(2, QStringLiteral("Not Connected"));
        p.window.clearSourceBox();
        p.window.addSourceItem(QStringLiteral("A source whose name is far wider than the box"));
        p.window.setSourceIndex(0);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(p.window.size(), size);
        QCOMPARE(box->pos(), QPoint(8, 8));
    }

    // Shut-down runs once whichever way comes first; the other way afterwards writes nothing.
    void shutDownOnce_data()
    {
        QTest::addColumn<bool>("exitFirst");
        QTest::newRow("Exit, then close") << true;
        QTest::newRow("close, then Exit") << false;
    }

    void shutDownOnce()
    {
        QFETCH(bool, exitFirst);
        WindowPanel p;
        WriteTestFile(p.settingsPath(), SettingsFile);
        Form_Load(p.panel);
        p.window.show();
        QWidget other;  // another window of the program, closed by the shut-down as well
        other.show();

        QAction* exit = p.window.findChild<QAction*>(QStringLiteral("mnuExit"));
        QVERIFY(exit);
        const auto end = [&](bool viaExit) {
            if (viaExit)
                exit->trigger();
            else
                p.window.close();
        };

        p.s.OutputControlled = 11;
        end(exitFirst);
        QVERIFY(p.s.ShutDownDone);
        QVERIFY(ReadTestFile(p.settingsPath()).contains("\nOutput=12\r\n"));
        QVERIFY(!p.window.isVisible());
        QVERIFY(!other.isVisible());
        QVERIFY(!p.server.pollEnabled);

        p.s.OutputControlled = 20;
        end(!exitFirst);
        Unload_Program(p.panel);
        QVERIFY(ReadTestFile(p.settingsPath()).contains("\nOutput=12\r\n"));
    }

    // The box takes the keyboard when it is enabled after the window was shown. The operator's key
    // on the closed box chooses one entry: one take, and the box stays on the current source until
    // the server reports the new one. Selections by code take nothing.
    void keyboardTakes()
    {
        WindowPanel p;
        p.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        p.populate();
        QComboBox* box = p.sourceBox();
        QCOMPARE(QApplication::focusWidget(), box);
        QSignalSpy activated(box, &QComboBox::activated);
        p.window.setSourceIndex(3);
        p.window.setSourceText(QStringLiteral("Studio B  (ch 9)"));
        p.window.setSourceIndex(1);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(p.server.takes, (std::vector<std::pair<int, int>>{{4, 12}}));
        QCOMPARE(activated.count(), 1);
        QCOMPARE(box->currentIndex(), 1);
    }

    // A result shown while the salvo timer runs does not start its second over.
    void salvoTimerKeepsRunning()
    {
        WindowPanel p;
        const auto* timer = p.window.findChild<QTimer*>(QStringLiteral("tmrSalvoMsg"));
        p.window.setSalvoTimerEnabled(true);
        QTest::qWait(300);
        p.window.setSalvoTimerEnabled(true);
        // A coarse timer may fire up to 5 % early, so a restarted one may say 950 ms.
        QVERIFY(timer->isActive() && timer->remainingTime() <= 850);
    }

    // Raising or lowering the window re-creates it; it stays where it was, the same size, shown.
    void windowOrderKeepsGeometry()
    {
        WindowPanel p;
        p.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window));
        p.window.move(40, 50);
        const QRect before = p.window.geometry();

        for (const int order : {NotTopMost, TopMost, NotTopMost, NotTopMost}) {
            p.window.setWindowOrder(order);
            QCOMPARE(isTopMost(p.window), order == TopMost);
            QVERIFY(p.window.isVisible());
            QCOMPARE(p.window.geometry(), before);
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
