#include "support/Fakes.h"

#include "core/Menus.h"

#include <QTest>

#include <functional>

namespace {

using Command = std::function<void(Panel&)>;

QString dialogName(Dialog d)
{
    return QStringLiteral("dialog:%1").arg(static_cast<int>(d));
}

// A TCP/IP panel with its tables loaded: sources Aux (ch 1) and Mic (ch 2), destination 1 "Studio".
struct Loaded : TestPanel {
    Loaded()
    {
        InitVariables(s, server);
        s.TcpIpMode = s.PanelPopulated = true;
        s.PendingTables = 0;
        s.NumOutputs = 1;
        s.OutputAlphaList = {QStringLiteral("Studio")};
        s.OutputChannelList = {0};
        s.OutputPosition = {0};
        s.OutputStatus.assign(1, OutputStatusRecord{});
        s.NumInputs = 2;
        s.InputAlphaList = {QStringLiteral("Aux"), QStringLiteral("Mic")};
        s.InputChannelList = {0, 1};
        s.InputPosition = {0, 1};
        s.ComboAlphaList.assign(2, QString());
        s.ComboChannelList.assign(2, 0);
        s.resizeInhibitMap(2, 1);
        s.DisplayList = QStringLiteral("11");
    }
};

} // namespace

Q_DECLARE_METATYPE(Command)

class TestMenus final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogCommands_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("loginSucceeds");
        QTest::addColumn<int>("stayOnTop");
        QTest::addColumn<QStringList>("dialogs");  // shown, in order
        QTest::addColumn<QStringList>("tags");

        const QString login = dialogName(Dialog::Login);
        const QString setup = dialogName(Dialog::Setup);
        QTest::newRow("setup, logged in") << Command(mnuSetup_Click) << true << TopMost
                                          << QStringList{login, setup} << QStringList{QString(), QStringLiteral("Initial")};
        QTest::newRow("setup, login cancelled") << Command(mnuSetup_Click) << false << TopMost
                                                << QStringList{login} << QStringList{QString()};
        QTest::newRow("password") << Command(mnuPassword_Click) << false << TopMost
                                  << QStringList{dialogName(Dialog::Password)} << QStringList{QString()};
        QTest::newRow("display list") << Command(mnuDsiplayList_Click) << false << TopMost
                                      << QStringList{dialogName(Dialog::DisplayList)} << QStringList{QString()};
        QTest::newRow("about") << Command(mnuAbout_Click) << false << NotTopMost
                               << QStringList{dialogName(Dialog::About)} << QStringList{QString()};
    }
    // Every dialog opens with the panel lowered; afterwards the panel is back in its chosen order.
    void dialogCommands()
    {
        QFETCH(Command, command);
        QFETCH(bool, loginSucceeds);
        QFETCH(int, stayOnTop);
        QFETCH(QStringList, dialogs);
        QFETCH(QStringList, tags);

        Loaded t;
        t.s.StayOnTop = stayOnTop;
        t.view.windowOrderLog.clear();
        t.prompts.dialogHandler = [&](Dialog d, const QString& tag) {
            if (d == Dialog::Login)
                t.s.LoggedIn = loginSucceeds;
            return tag;
        };
        command(t.panel);

        QStringList shown, passed;
        for (const auto& a : t.prompts.asked) {
            shown << a.what;
            passed << a.text;
            QCOMPARE(a.windowOrder, NotTopMost);
        }
        QCOMPARE(shown, dialogs);
        QCOMPARE(passed, tags);
        QCOMPARE(t.view.windowOrderLog.first(), QString::number(NotTopMost));
        QCOMPARE(t.view.windowOrder, stayOnTop);
    }

    void displayListRebuildsSourceBox_data()
    {
        QTest::addColumn<QString>("written");  // what the editor leaves in DisplayList
        QTest::addColumn<QStringList>("items");
        QTest::newRow("cancelled") << QStringLiteral("11") << QStringList{QStringLiteral("Aux   (ch 1)"), QStringLiteral("Mic   (ch 2)")};
        QTest::newRow("accepted") << QStringLiteral("10") << QStringList{QStringLiteral("Aux   (ch 1)")};
    }
    // Whichever way the editor closes, the source box is rebuilt after it has closed.
    void displayListRebuildsSourceBox()
    {
        QFETCH(QString, written);
        QFETCH(QStringList, items);

        Loaded t;
        t.view.sourceItems = {QStringLiteral("stale")};
        QStringList whileOpen;
        t.prompts.dialogHandler = [&](Dialog, const QString& tag) {
            whileOpen = t.view.sourceItems;
            t.s.DisplayList = written;
            return tag;
        };
        mnuDsiplayList_Click(t.panel);
        QCOMPARE(whileOpen, QStringList{QStringLiteral("stale")});
        QCOMPARE(t.view.sourceItems, items);
    }

    void contents_data()
    {
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("viewer started") << true << QStringList{};
        QTest::newRow("no viewer") << false << QStringList{QStringLiteral("Help")};
    }
    // Help opens in a viewer; without one the operator is told where the page is, and the panel
    // carries on in its order.
    void contents()
    {
        QFETCH(bool, viewer);
        QFETCH(QStringList, titles);

        Loaded t;
        t.prompts.helpViewerAvailable = viewer;
        t.view.windowOrderLog.clear();
        mnuContents_Click(t.panel);
        QCOMPARE(t.prompts.helpOpened, 1);
        QCOMPARE(t.prompts.titles(), titles);
        QCOMPARE(t.view.closeAllCount, 0);
        if (viewer) {
            QVERIFY(t.view.windowOrderLog.isEmpty());
        } else {
            QCOMPARE(t.view.windowOrder, t.s.StayOnTop);
            QCOMPARE(t.prompts.asked.front().windowOrder, NotTopMost);
            QVERIFY(t.prompts.asked.front().text.contains(QStringLiteral("It is the file /opt/tova/help/index.html\r")));
        }
    }
};

QTEST_GUILESS_MAIN(TestMenus)
#include "tst_menus.moc"
