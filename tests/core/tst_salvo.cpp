#include "support/Fakes.h"

#include "core/Salvo.h"
#include "core/Take.h"

#include <QTest>

namespace {

// Display order: Alpha is salvo 2, Bravo salvo 0, Charlie salvo 1. Keys by salvo number: Bravo
// runs at once, Charlie asks for key 1, Alpha for 300 (300 & 0xFF = 44).
const QStringList Names{QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")};
const QList<int> Keys{0, 1, 300};

struct SalvoPanel : TestPanel {
    // Enters salvo mode with numSalvos salvos (-1: one per name).
    explicit SalvoPanel(const QStringList& names = Names, const QList<int>& keys = Keys, int numSalvos = -1)
    {
        InitVariables(s, server);
        s.NumSalvos = numSalvos < 0 ? int(names.size()) : numSalvos;
        s.SalvoAlphaList.assign(names.begin(), names.end());
        if (!names.isEmpty()) {
            s.SalvoNumberList = {2, 0, 1};
            s.SalvoPosition = {1, 2, 0};
        }
        s.SalvoKeys.assign(keys.begin(), keys.end());
        mnuSalvoMode_Click(panel);
    }
    QList<int> executed() const { return QList<int>(server.salvos.begin(), server.salvos.end()); }
    bool loggedOnly(const QString& message) const
    {
        const QStringList lines = logLines();
        return message.isEmpty() ? lines.isEmpty()
                                 : lines.size() == 1 && lines[0].contains(message + QStringLiteral(": Error # 9"))
                && lines[0].contains(QStringLiteral("Salvo Error"));
    }
};

} // namespace

class TestSalvo final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void salvoList_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("numSalvos");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("logged");  // empty: listed, with "Salvo Mode" in the status bar
        QTest::newRow("by position") << Names << 3 << Names << QString();
        QTest::newRow("none") << QStringList() << 0 << QStringList{QStringLiteral("No Salvos")} << QString();
        // The salvo events counted more salvos than the names table holds: the list stops there.
        QTest::newRow("names end early") << Names << 4 << Names << QStringLiteral("Error Displaying First Salvo");
    }
    void salvoList()
    {
        QFETCH(QStringList, names);
        QFETCH(int, numSalvos);
        QFETCH(QStringList, items);
        QFETCH(QString, logged);
        SalvoPanel t(names, Keys, numSalvos);
        QCOMPARE(t.view.menuCaption[MenuCommand::SalvoMode], QStringLiteral("Crosspoint &Mode"));
        QCOMPARE(t.view.sourceItems, items);
        QCOMPARE(t.view.status1, logged.isEmpty() ? QStringLiteral("Salvo Mode") : QStringLiteral("Not Specified"));
        QVERIFY(t.loggedOnly(logged) && !t.s.Updating);
    }

    // Each attempt shows its result until tmrSalvoMsg brings back the source view.
    void choice_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("salvoIndex");
        QTest::addColumn<int>("keyIndex");  // -1: no key list expected
        QTest::addColumn<QList<int>>("executed");
        QTest::addColumn<QString>("result");  // empty: salvo mode ends at once
        QTest::newRow("no salvos") << QStringList() << 0 << -1 << QList<int>() << QString();
        QTest::newRow("no key") << Names << 1 << -1 << QList<int>{0} << QStringLiteral("Executed");
        QTest::newRow("key 1, first entry") << Names << 2 << 0 << QList<int>{1} << QStringLiteral("Executed");
        QTest::newRow("key 1, second entry") << Names << 2 << 1 << QList<int>() << QStringLiteral("Failed");
        QTest::newRow("key 1, last entry") << Names << 2 << 254 << QList<int>() << QStringLiteral("Failed");
        QTest::newRow("key 300 never matches") << Names << 0 << 43 << QList<int>() << QStringLiteral("Failed");
    }
    void choice()
    {
        QFETCH(QStringList, names);
        QFETCH(int, salvoIndex);
        QFETCH(int, keyIndex);
        QFETCH(QList<int>, executed);
        QFETCH(QString, result);
        SalvoPanel t(names);
        SalvoChoice(t.panel, salvoIndex);
        if (keyIndex >= 0) {
            QCOMPARE(t.view.sourceItems.size(), 255);
            QCOMPARE(t.view.sourceItems.first(), QStringLiteral("Key 002"));
            QCOMPARE(t.view.sourceItems.last(), QStringLiteral("Key 256"));
            QCOMPARE(t.view.status1, QStringLiteral("Salvo: ") + Names[salvoIndex]);
            QVERIFY(t.server.salvos.empty());
            SalvoChoice(t.panel, keyIndex);
        }
        QCOMPARE(t.executed(), executed);
        QCOMPARE(t.view.sourceText, result);
        QVERIFY(t.view.sourceItems.isEmpty() || result.isEmpty());  // a result is no entry to choose
        QVERIFY(t.view.salvoTimerEnabled == !result.isEmpty() && t.s.SalvoMode == !result.isEmpty());

        tmrSalvoMsg_Timer(t.panel);
        QVERIFY(!t.view.salvoTimerEnabled && !t.s.SalvoMode && !t.s.SalvoKeysShown && !t.s.Updating);
        QCOMPARE(t.view.menuCaption[MenuCommand::SalvoMode], QStringLiteral("Salvo &Mode"));
        QVERIFY(t.loggedOnly(QString()));
    }

    void menuWhileResultShown()
    {
        SalvoPanel t;
        SalvoChoice(t.panel, 1);
        mnuSalvoMode_Click(t.panel);
        QVERIFY(!t.s.SalvoMode && t.view.salvoTimerEnabled);
        t.view.status1 = QStringLiteral("Destination: Studio [005]");
        tmrSalvoMsg_Timer(t.panel);
        QVERIFY(!t.s.SalvoMode && !t.view.salvoTimerEnabled);
        QCOMPARE(t.view.status1, QStringLiteral("Destination: Studio [005]"));  // nothing rebuilt

        // Back in salvo mode within the second: the result's timer still runs, and when it fires
        // it ends the new visit too. The next choice is then a take, never the salvo again.
        t.s.TcpIpMode = true;  // tables not yet loaded: a take sends nothing
        mnuSalvoMode_Click(t.panel);
        SalvoChoice(t.panel, 1);
        mnuSalvoMode_Click(t.panel);
        mnuSalvoMode_Click(t.panel);
        QVERIFY(t.s.SalvoMode && t.view.salvoTimerEnabled);
        QCOMPARE(t.view.sourceItems, Names);
        if (t.view.salvoTimerEnabled)
            tmrSalvoMsg_Timer(t.panel);
        QVERIFY(!t.s.SalvoMode && !t.view.salvoTimerEnabled);
        QCOMPARE(t.view.menuCaption[MenuCommand::SalvoMode], QStringLiteral("Salvo &Mode"));
        cmboSourceSelect_Click(t.panel, 1, Names[1]);
        QCOMPARE(t.executed(), (QList<int>{0, 0}));
    }

    // Tables from the network that disagree: logged, nothing run, never a crash.
    void inconsistentTables_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("keysLeft");  // SalvoKeys cut to this size after the salvo choice; -1: kept
        QTest::addColumn<QString>("logged");
        const QString selecting = QStringLiteral("Error Selecting Salvo");
        QTest::newRow("salvo without key") << QList<int>{0, 1} << 0 << -1 << selecting;
        QTest::newRow("index past the list") << Keys << 3 << -1 << selecting;
        QTest::newRow("negative index") << Keys << -1 << -1 << selecting;
        QTest::newRow("key of a vanished salvo") << Keys << 2 << 1 << QStringLiteral("Error Selecting Salvo Key");
    }
    void inconsistentTables()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, index);
        QFETCH(int, keysLeft);
        QFETCH(QString, logged);
        SalvoPanel t(Names, keys);
        SalvoChoice(t.panel, index);
        if (keysLeft >= 0)
            t.s.SalvoKeys.resize(std::size_t(keysLeft));
        if (t.s.SalvoKeysShown)
            SalvoChoice(t.panel, 0);
        QVERIFY(t.loggedOnly(logged) && t.server.salvos.empty() && !t.s.Updating);
        QCOMPARE(t.view.sourceText, QStringLiteral("Failed"));
    }

    // A keyed salvo's name cannot be shown: logged, yet its keys work. Salvo names arriving
    // while keys are listed show the salvo list, but a choice still stands for a key.
    void keyListAndItsSalvo()
    {
        SalvoPanel t(Names, {0, 2, 300});
        t.s.SalvoPosition.clear();
        SalvoChoice(t.panel, 2);
        QVERIFY(t.loggedOnly(QStringLiteral("Error Displaying Salvo Key")));
        QCOMPARE(t.view.status1, QStringLiteral("Salvo Mode"));
        DisplayFirstSalvo(t.panel);
        QCOMPARE(t.view.sourceItems, Names);
        SalvoChoice(t.panel, 1);  // the second entry: key value 2
        QCOMPARE(t.executed(), QList<int>{1});
        QCOMPARE(t.view.sourceText, QStringLiteral("Executed"));
    }
};

QTEST_GUILESS_MAIN(TestSalvo)
#include "tst_salvo.moc"
