#include "support/Fakes.h"

#include "core/Menus.h"

using Command = std::function<void(Panel&)>;
Q_DECLARE_METATYPE(Command)

class TestMenus final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every dialog (and the help's message when no viewer starts) opens over the lowered panel,
    // which afterwards is back in its chosen order; setup only behind an accepted login. The display
    // list editor rebuilds the source box once it has closed.
    void commands_data()
    {
        Columns<Command, int, QString, QString>("command", "stayOnTop", "asked", "displayList");  // asked: dialogs with their Tags
        QTest::newRow("setup, login cancelled") << Command(mnuSetup_Click) << TopMost << "dialog:0:" << "";
        QTest::newRow("about") << Command(mnuAbout_Click) << NotTopMost << "dialog:3:" << "";
        QTest::newRow("display list accepted") << Command(mnuDsiplayList_Click) << TopMost << "dialog:4:" << "101";
        QTest::newRow("help without a viewer") << Command(mnuContents_Click) << TopMost << "Help:It is the file /opt/tova/help/index.html" << "";
    }
    void commands()
    {
        auto [command, stayOnTop, asked, displayList] = Fetch<Command, int, QString, QString>("command", "stayOnTop", "asked", "displayList");
        LoadedPanel t;
        t.s.StayOnTop = stayOnTop;
        t.prompts.helpViewerAvailable = false;
        t.view.sourceItems = QStringList{QStringLiteral("stale")};
        t.prompts.dialogHandler = [&t, &displayList](Dialog, const QString& tag) {
            t.s.DisplayList = displayList.isEmpty() ? t.s.DisplayList : displayList;
            return tag;
        };
        command(t.panel);
        QStringList seen;
        for (const auto& a : t.prompts.asked)
            seen << a.what + u':' + (a.text.contains(u'\r') ? a.text.section(u'\r', 1, 1) : a.text) + (a.windowOrder == NotTopMost ? QString() : QStringLiteral("(over)"));
        QCOMPARE(seen.join(u'|'), asked);
        QCOMPARE(t.view.sourceItems.join(u'|'), displayList.isEmpty() ? QStringLiteral("stale") : QStringLiteral("Aux   (ch 3)|Mic   (ch 1)"));
        QCOMPARE(t.view.windowOrderLog, (QStringList{QString::number(NotTopMost), QString::number(stayOnTop)}));
    }

    // Connect/Disconnect follows the link, not the switcher behind it.
    void connectCommand_data()
    {
        Columns<bool, bool, QString>("connected", "switcherOnline", "calls");
        QTest::newRow("link up, switcher absent") << true << false << "disconnect";
        QTest::newRow("link down") << false << false << "connect";
    }
    void connectCommand()
    {
        auto [connected, online, calls] = Fetch<bool, bool, QString>("connected", "switcherOnline", "calls");
        TestPanel t;
        t.s.Connected = connected;
        t.s.SystemOnline = online;
        mnuConnect_Click(t.panel);
        QCOMPARE(t.server.connects == 1 ? QStringLiteral("connect") : t.server.disconnects == 1 ? QStringLiteral("disconnect") : QString(), calls);
    }
};

QTEST_GUILESS_MAIN(TestMenus)
#include "tst_menus.moc"
