// The real main window driven through start-up and shut-down, with the server and the operator's
// answers faked. Runs offscreen.

#include "app/MainWindow.h"
#include "core/Startup.h"
#include "state/Panel.h"
#include "storage/IniFile.h"
#include "support/Fakes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>

namespace {

bool isTopMost(const QWidget& window) { return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

// A settings file; mode is "Yes" for TCP/IP, "No" for File mode.
QByteArray settingsFile(const QByteArray& tcpIpMode, const QByteArray& stayOnTop, const QByteArray& refreshRate,
                        const QByteArray& pollRate)
{
    return "[CONFIG]\r\nOutput=5\r\nTCP/IP Mode=" + tcpIpMode + "\r\nHide Inhibits=Yes\r\nStay On Top=" + stayOnTop
        + "\r\n[FILE]\r\nServer path=/srv/zeb\r\nRefresh Rate=" + refreshRate
        + "\r\nTime Out=50\r\n[TCP/IP]\r\nIP Port=1250\r\nIP Address=127.0.0.1\r\nPoll Rate=" + pollRate
        + "\r\nTime Out=30\r\n";
}

// The real window with a fresh state, faked ports and AppDir in a temporary directory. Messages
// and dialogs are recorded with the real window's order at that moment.
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

    WindowPanel()
    {
        s.AppDir = dir.path() + QDir::separator();
        prompts.windowOrderNow = [this] { return isTopMost(window) ? TopMost : NotTopMost; };
    }

    QString settingsPath() const { return s.AppDir + QStringLiteral("zebntpnl.ini"); }

    bool writeSettings(const QByteArray& contents) const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::WriteOnly) && f.write(contents) == contents.size();
    }

    QByteArray setting(const char* section, const char* key) const
    {
        IniFile ini;
        return IniFile::load(settingsPath(), ini) ? ini.value(section, key) : QByteArray("<unreadable>");
    }

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
    QLabel* statusPanel(int n) const
    {
        return window.findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(n));
    }
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

    // The window carries out what start-up asks of the view (the paths themselves are the logic's
    // tests). Messages and dialogs of a failed start come while the window is not topmost.
    void startup_data()
    {
        QTest::addColumn<QByteArray>("settings");  // empty: no settings file
        QTest::addColumn<bool>("filesReadable");
        QTest::addColumn<bool>("sourceEnabled");
        QTest::addColumn<bool>("topMost");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("status1");

        QTest::newRow("TCP/IP") << settingsFile("Yes", "Yes", "250", "1") << true << true << true << QStringList()
                                << QStringLiteral("Not Specified");
        QTest::newRow("File mode, files missing")
            << settingsFile("No", "No", "250", "5") << false << false << false
            << QStringList{QStringLiteral("Error Reading File"), QStringLiteral("dialog:%1").arg(int(Dialog::Setup))}
            << QStringLiteral("Destination Controlled (NC) ");
        // Topmost afterwards although no setting asked for it.
        QTest::newRow("no settings file")
            << QByteArray() << true << false << true
            << QStringList{QStringLiteral("Configuration Error"), QStringLiteral("dialog:%1").arg(int(Dialog::Login)),
                           QStringLiteral("dialog:%1").arg(int(Dialog::Setup))}
            << QStringLiteral("Not Specified");
    }

    void startup()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, filesReadable);
        QFETCH(bool, sourceEnabled);
        QFETCH(bool, topMost);
        QFETCH(QStringList, asked);
        QFETCH(QString, status1);

        WindowPanel p;
        if (!settings.isEmpty())
            QVERIFY(p.writeSettings(settings));
        p.server.filesReadable = filesReadable;

        Form_Load(p.panel);

        QComboBox* box = p.sourceBox();
        QCOMPARE(box->count(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("No System"));
        QCOMPARE(box->isEnabled(), sourceEnabled);
        QCOMPARE(isTopMost(p.window), topMost);
        QCOMPARE(p.prompts.titles(), asked);
        for (const auto& a : p.prompts.asked)
            QCOMPARE(a.windowOrder, NotTopMost);
        QCOMPARE(p.statusPanel(1)->text(), status1);
        QCOMPARE(p.statusPanel(2)->text(), QStringLiteral("NF"));
        QVERIFY(p.window.statusBar()->isAncestorOf(p.statusPanel(2)));
    }

    // The window keeps its size and the source box its place, whatever texts it is given; it is
    // never narrower than the classic 2640 twips (176 pixels), and wide enough that a destination
    // of 16 characters of the font's widest letter and every connection state show whole.
    void readableFixedLayout()
    {
        WindowPanel p;
        QVERIFY(p.writeSettings(settingsFile("Yes", "Yes", "100", "1")));
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
        QVERIFY(p.writeSettings(settingsFile("Yes", "Yes", "100", "1")));
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
        QCOMPARE(p.setting("CONFIG", "Output"), QByteArray("12"));
        QVERIFY(!p.window.isVisible());
        QVERIFY(!other.isVisible());
        QVERIFY(!p.server.pollEnabled);
        QCOMPARE(p.server.connects, 1);
        QCOMPARE(p.server.disconnects, 0);

        p.s.OutputControlled = 20;
        end(!exitFirst);
        Unload_Program(p.panel);
        QCOMPARE(p.setting("CONFIG", "Output"), QByteArray("12"));
    }

    // The operator's keys on the closed box each choose one entry: one take, and the box stays on
    // the current source until the server reports the new one. Selections by code take nothing.
    void keyboardTakes_data()
    {
        QTest::addColumn<int>("key");        // 0: type the text instead
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("source");     // -1: no take
        QTest::newRow("Down") << int(Qt::Key_Down) << QString() << 12;
        QTest::newRow("Up") << int(Qt::Key_Up) << QString() << 10;
        QTest::newRow("typing d") << 0 << QStringLiteral("d") << 13;
        QTest::newRow("typing the current source") << 0 << QStringLiteral("b") << -1;
        QTest::newRow("typing no source") << 0 << QStringLiteral("x") << -1;
    }

    void keyboardTakes()
    {
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(int, source);
        WindowPanel p;
        p.populate();
        p.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.window));
        QComboBox* box = p.sourceBox();
        QSignalSpy activated(box, &QComboBox::activated);
        p.window.setSourceIndex(3);
        p.window.setSourceText(QStringLiteral("Studio B  (ch 9)"));
        p.window.setSourceIndex(1);

        if (key)
            QTest::keyClick(box, Qt::Key(key));
        else
            QTest::keyClicks(box, typed);

        std::vector<std::pair<int, int>> expected;
        if (source >= 0)
            expected.push_back({4, source});
        QCOMPARE(p.server.takes, expected);
        QCOMPARE(activated.count(), int(expected.size()));
        QCOMPARE(box->currentIndex(), 1);
    }

    // The box takes the keyboard when the window is shown, or when it is enabled later.
    void sourceBoxHasFocus_data()
    {
        QTest::addColumn<bool>("enabledBeforeShow");
        QTest::addColumn<bool>("disabledMeanwhile");  // the link was lost and is back
        QTest::newRow("enabled, then shown") << true << false;
        QTest::newRow("shown, then enabled") << false << false;
        QTest::newRow("disabled and enabled again") << true << true;
    }

    void sourceBoxHasFocus()
    {
        QFETCH(bool, enabledBeforeShow);
        QFETCH(bool, disabledMeanwhile);
        WindowPanel p;
        if (enabledBeforeShow)
            p.populate();
        p.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&p.window));
        if (disabledMeanwhile)
            p.window.setSourceBoxEnabled(false);
        p.populate();
        QCOMPARE(QApplication::focusWidget(), p.sourceBox());
    }

    // A result shown while the salvo timer runs does not start its second over.
    void salvoTimerKeepsRunning()
    {
        WindowPanel p;
        const auto* timer = p.window.findChild<QTimer*>(QStringLiteral("tmrSalvoMsg"));
        p.window.setSalvoTimerEnabled(true);
        QTest::qWait(100);
        p.window.setSalvoTimerEnabled(true);
        QVERIFY(timer->isActive() && timer->remainingTime() <= 950);
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
