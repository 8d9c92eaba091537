#include "support/Fakes.h"

#include "core/Startup.h"

using namespace Qt::StringLiterals;

class TestStartup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Start-up by its settings: none ("none": the first login), TCP/IP ("tcp"), File mode without
    // ("nofiles") the server files, a password set ("password") and the login accepted
    // ("accepted"), "Stay On Top" ("ontop"). Every box and dialog opens over the lowered panel,
    // each once the one before has been answered.
    void startUp_data()
    {
        Columns<QString, QString>("setup", "asked");  // asked: title and text (dialogs by number and Tag)
        const QString noFiles = QStringLiteral("Error Reading File:Server Files not found|");
        QTest::newRow("no settings file") << "none" << QStringLiteral("Configuration Error:System Not Yet Configured.\rPlease specify a "
            "User name and Password then set the\rZEB kelvane location and destination to be controlled|dialog:0:new|dialog:1:Initial");
        QTest::newRow("TCP/IP, not topmost") << "tcp" << "";
        QTest::newRow("no files, login cancelled: no setup") << "ontop nofiles password" << noFiles + u"dialog:0:"_s;
        QTest::newRow("no files, login accepted: setup") << "ontop nofiles password accepted" << noFiles + u"dialog:0:|dialog:1:Initial"_s;
    }
    void startUp()
    {
        auto [setup, asked] = Fetch<QString, QString>("setup", "asked");
        const QStringList words = setup.split(u' ');
        const bool tcp = words.contains(u"tcp"), files = !words.contains(u"nofiles"), configured = setup != u"none";
        TestPanel t;
        if (configured)
            t.writeFile(QStringLiteral("zebntpnl.ini"), "[CONFIG]\r\nOutput=3\r\nTCP/IP Mode=" + QByteArray(tcp ? "Yes" : "No")
                + "\r\nStay On Top=" + QByteArray(words.contains(u"ontop") ? "Yes" : "No") + "\r\n[FILE]\r\nServer path=/srv/zeb\r\n"
                "Refresh Rate=100\r\nTime Out=50\r\n[TCP/IP]\r\nIP Port=1250\r\nPoll Rate=1\r\nTime Out=30\r\n[SECURITY]\r\nPassword="
                + QByteArray(words.contains(u"password") ? "bdf" : "") + "\r\n");
        t.server.filesReadable = files;
        t.prompts.dialogHandler = [&t, accepted = words.contains(u"accepted"), configured](Dialog, const QString& tag) {
            t.s.LoggedIn = accepted;
            if (!configured)
                t.s.StayOnTop = NotTopMost;  // not consulted when the configuration is missing
            return tag;
        };
        Form_Load(t.panel);

        QStringList seen;
        for (const auto& a : t.prompts.asked) {
            seen << a.what + u':' + a.text;
            QCOMPARE(a.windowOrder, NotTopMost);
        }
        QCOMPARE(seen.join(u'|'), asked);
        // "connects|reads|source box enabled|Connect|Salvo Mode|window order", and both boxes say "No System".
        QCOMPARE(QList<int>({t.server.connects, t.server.reads, t.view.sourceBoxEnabled, t.view.menuEnabled[MenuCommand::Connect],
                             t.view.menuEnabled[MenuCommand::SalvoMode], t.view.windowOrder}),
                 QList<int>({tcp, configured && !tcp, configured && files, tcp, tcp, words.contains(u"ontop") || !configured ? TopMost : NotTopMost}));
        QVERIFY(t.view.sourceItems + t.view.outputItems == Split(QStringLiteral("No System|No System")) && t.view.sourceIndex == 0);
        QCOMPARE(t.view.status1, files ? QStringLiteral("Not Specified") : QStringLiteral("Destination Controlled (NC) "));
    }

    // Start-up waits for no one: a shut-down while the login is open (a signal) ends the chain
    // there: no setup dialog follows, and the windows close.
    void shutDownEndsTheChain()
    {
        TestPanel t;
        t.prompts.hold = true;
        Form_Load(t.panel);
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("Configuration Error")});
        QVERIFY(t.prompts.answerOldest());
        QCOMPARE(t.prompts.titles().last(), DialogName(Dialog::Login));
        QCOMPARE(t.view.windowOrder, NotTopMost);
        Unload_Program(t.panel);
        QVERIFY(t.prompts.answerOldest());
        QCOMPARE(t.prompts.asked.size(), 2u);
        QVERIFY(t.view.windowOrder == NotTopMost && t.view.closeAllCount == 1);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
