#include "support/Fakes.h"

#include "core/Startup.h"

#include <QTest>

namespace {

QByteArray settingsFile(bool tcp, const QByteArray& password = {}, bool stayOnTop = true)
{
    return "[CONFIG]\r\nOutput=3\r\nTCP/IP Mode=" + QByteArray(tcp ? "Yes" : "No")
        + "\r\nHide Inhibits=Yes\r\nStay On Top=" + QByteArray(stayOnTop ? "Yes" : "No")
        + "\r\n[FILE]\r\nServer path=/srv/zeb\r\nRefresh Rate=100\r\nTime Out=50\r\n"
          "[TCP/IP]\r\nIP Port=1250\r\nIP Address=127.0.0.1\r\nPoll Rate=1\r\nTime Out=30\r\n"
          "[SECURITY]\r\nUser Name=op\r\nPassword="
        + password + "\r\n";
}

QString dialogName(Dialog d) { return QStringLiteral("dialog:%1").arg(static_cast<int>(d)); }

} // namespace

class TestStartup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { t = std::make_unique<TestPanel>(); }
    void cleanup() { t.reset(); }

    void notConfigured_data()
    {
        QTest::addColumn<QByteArray>("file");  // empty: no settings file at all
        QTest::newRow("no settings file") << QByteArray();
        QTest::newRow("damaged settings file") << QByteArray("[TCP/IP]\r\nIP Port=twelve\r\n");
    }
    void notConfigured()
    {
        QFETCH(QByteArray, file);
        if (!file.isEmpty())
            t->writeFile(QStringLiteral("zebntpnl.ini"), file);
        Form_Load(t->panel);

        const auto& asked = t->prompts.asked;
        QCOMPARE(asked.size(), 3u);
        QCOMPARE(asked[0].what, QStringLiteral("Configuration Error"));
        QCOMPARE(asked[0].text, QStringLiteral("System Not Yet Configured.\rPlease specify a User name and Password "
                                               "then set the\rZEB kelvane location and destination to be controlled"));
        QCOMPARE(asked[0].windowOrder, NotTopMost);
        QCOMPARE(asked[1].what, dialogName(Dialog::Login));
        QCOMPARE(asked[1].text, QStringLiteral("new"));
        QCOMPARE(asked[2].what, dialogName(Dialog::Setup));
        QCOMPARE(asked[2].text, QStringLiteral("Initial"));
        QCOMPARE(t->view.windowOrder, TopMost);
        QVERIFY(!t->view.sourceBoxEnabled);
        QCOMPARE(t->view.sourceItems, QStringList{QStringLiteral("No System")});
        QCOMPARE(t->view.sourceIndex, 0);
        QCOMPARE(t->view.outputItems, QStringList{QStringLiteral("No System")});
        QCOMPARE(t->server.connects + t->server.reads, 0);
    }

    // Start-up waits for no one: each window opens once the one before it has been answered, and a
    // shut-down in between (a signal during the login) ends the chain: no setup dialog follows.
    void startUpFollowsTheAnswers()
    {
        t->prompts.hold = true;
        Form_Load(t->panel);
        QCOMPARE(t->prompts.titles(), QStringList{QStringLiteral("Configuration Error")});
        QVERIFY(t->prompts.answerOldest());
        QCOMPARE(t->prompts.titles().last(), dialogName(Dialog::Login));
        QCOMPARE(t->view.windowOrder, NotTopMost);
        Unload_Program(t->panel);
        QVERIFY(t->prompts.answerOldest());
        QCOMPARE(t->prompts.asked.size(), 2u);
        QCOMPARE(t->view.windowOrder, NotTopMost);
        QCOMPARE(t->view.closeAllCount, 1);
    }

    // "Stay On Top" is not consulted when the configuration is missing: the window ends topmost.
    void notConfiguredEndsTopMostWhateverSetupStores()
    {
        t->prompts.dialogHandler = [this](Dialog d, const QString& tag) {
            if (d == Dialog::Setup)
                t->s.StayOnTop = NotTopMost;
            return tag;
        };
        Form_Load(t->panel);
        QCOMPARE(t->view.windowOrder, TopMost);
    }

    void tcpIpModeStartsAtOnce_data()
    {
        QTest::addColumn<bool>("stayOnTop");
        QTest::newRow("topmost") << true;
        QTest::newRow("not topmost") << false;
    }
    void tcpIpModeStartsAtOnce()
    {
        QFETCH(bool, stayOnTop);
        t->writeFile(QStringLiteral("zebntpnl.ini"), settingsFile(true, {}, stayOnTop));
        Form_Load(t->panel);
        QVERIFY(t->prompts.asked.empty());
        QCOMPARE(t->server.connects, 1);
        QCOMPARE(t->server.reads, 0);
        QVERIFY(t->view.sourceBoxEnabled);
        QCOMPARE(t->view.sourceItems, QStringList{QStringLiteral("No System")});
        QCOMPARE(t->view.menuEnabled[MenuCommand::Connect], true);
        QCOMPARE(t->view.menuEnabled[MenuCommand::SalvoMode], true);
        QCOMPARE(t->server.pollInterval, 1000);
        QCOMPARE(t->view.windowOrder, stayOnTop ? TopMost : NotTopMost);
        QCOMPARE(t->s.OutputControlled, 2);
    }

    void fileModeWithServerFiles()
    {
        t->writeFile(QStringLiteral("zebntpnl.ini"), settingsFile(false));
        Form_Load(t->panel);
        QVERIFY(t->prompts.asked.empty());
        QCOMPARE(t->server.reads, 1);
        QCOMPARE(t->server.connects, 0);
        QVERIFY(t->view.sourceBoxEnabled);
        QCOMPARE(t->view.menuEnabled[MenuCommand::SalvoMode], false);
        QCOMPARE(t->view.menuEnabled[MenuCommand::Connect], false);
        QCOMPARE(t->server.pollInterval, 100);
    }

    // File mode without reachable server files: the message, then setup behind a login when a
    // password is set. The source box stays disabled on every branch.
    void fileModeWithoutServerFiles_data()
    {
        QTest::addColumn<QByteArray>("storedPassword");
        QTest::addColumn<bool>("loginAccepted");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("no password: setup at once") << QByteArray() << false
                                                    << QStringList{dialogName(Dialog::Setup)};
        QTest::newRow("login cancelled: no setup") << QByteArray("bdf") << false
                                                   << QStringList{dialogName(Dialog::Login)};
        QTest::newRow("login accepted: setup") << QByteArray("bdf") << true
                                               << QStringList{dialogName(Dialog::Login), dialogName(Dialog::Setup)};
    }
    void fileModeWithoutServerFiles()
    {
        QFETCH(QByteArray, storedPassword);
        QFETCH(bool, loginAccepted);
        QFETCH(QStringList, dialogs);
        t->writeFile(QStringLiteral("zebntpnl.ini"), settingsFile(false, storedPassword, true));
        t->server.filesReadable = false;
        t->prompts.dialogHandler = [&](Dialog d, const QString& tag) {
            if (d == Dialog::Login) {
                t->s.LoggedIn = loginAccepted;
                return loginAccepted ? QStringLiteral("ok") : QStringLiteral("fail");
            }
            return tag;
        };
        Form_Load(t->panel);

        QStringList titles = t->prompts.titles();
        QCOMPARE(titles.takeFirst(), QStringLiteral("Error Reading File"));
        QCOMPARE(t->prompts.asked[0].text, QStringLiteral("Server Files not found"));
        for (const auto& a : t->prompts.asked)
            QCOMPARE(a.windowOrder, NotTopMost);  // nothing is asked behind the panel
        QCOMPARE(titles, dialogs);
        if (titles.contains(dialogName(Dialog::Login)))
            QCOMPARE(t->prompts.asked[1].text, QString());
        if (titles.contains(dialogName(Dialog::Setup)))
            QCOMPARE(t->prompts.asked.back().text, QStringLiteral("Initial"));
        QCOMPARE(t->view.status1, QStringLiteral("Destination Controlled (NC) "));
        QVERIFY(!t->view.sourceBoxEnabled);
        QCOMPARE(t->view.windowOrder, TopMost);  // back to "Stay On Top=Yes"
    }

    void shutDownGoesOnWhenSettingsCannotBeWritten()
    {
        // File mode without a server path has nothing to write; the windows still close.
        Form_Load(t->panel);
        Unload_Program(t->panel);
        QCOMPARE(t->view.closeAllCount, 1);
        QVERIFY(!QFile::exists(t->path(QStringLiteral("zebntpnl.ini"))));
    }

private:
    std::unique_ptr<TestPanel> t;
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
