#include "support/Fakes.h"

#include "core/Salvo.h"
#include "core/Take.h"

using Ints = QList<int>;

// Display order: Alpha is salvo 2, Bravo salvo 0, Charlie salvo 1. Keys by salvo number (Keys):
// Bravo runs at once, Charlie asks for key 1, Alpha for 300 (300 & 0xFF = 44).
class TestSalvo final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Salvo mode entered, then the steps: "s2" chooses entry 2 of the box (a salvo or a key),
    // "m" the menu command, "t" tmrSalvoMsg fires (only while running), "c1" the operator clicks
    // entry 1, "p" loses the salvo positions, "d" salvo names arrive.
    void steps_data()
    {
        // shown: the result text, else the entries ("first..last" when many); status: status panel 1
        // ("": not compared); logged: the one failure logged.
        Columns<QString, Ints, QString, Ints, QString, QString, QString, bool>(
            "names", "keys", "steps", "executed", "shown", "status", "logged", "salvoMode");
        const QString names = QStringLiteral("Alpha|Bravo|Charlie");
        const Ints keys{0, 1, 300};
        QTest::newRow("none: a choice leaves") << "" << keys << "s0" << Ints{} << "No Salvos" << "" << "" << false;
        QTest::newRow("key value 0 runs at once") << names << keys << "s1" << Ints{0} << "Executed" << "" << "" << true;
        QTest::newRow("one salvo") << "Alpha" << keys << "s0" << Ints{} << "Key 002..Key 256" << "" << "" << true;
        QTest::newRow("key 1: the first entry, \"Key 002\"") << names << keys << "s2 s0" << Ints{1} << "Executed" << "" << "" << true;
        QTest::newRow("key 300 never matches") << names << keys << "s0 s43" << Ints{} << "Failed" << "" << "" << true;
        // Without its key value a salvo is not run; the operator's click goes where "s" goes.
        QTest::newRow("salvo without key") << names << Ints{0, 1} << "c0" << Ints{} << "Failed" << ""
                                           << "Error Selecting Salvo" << true;
        // A keyed salvo's name cannot be shown: logged, yet its keys work. Salvo names arriving
        // while keys are listed show the salvo list, but a choice still stands for a key.
        QTest::newRow("key list under salvo names") << names << Ints{0, 2, 300} << "p s2 d s1" << Ints{1} << "Executed"
                                                    << "Salvo Mode" << "Error Displaying Salvo Key" << true;
        // Leaving while the keys are listed: the next choice is a take, not a key.
        QTest::newRow("left with keys listed") << names << keys << "s2 m c0" << Ints{} << "Key 002..Key 256" << "Salvo: Charlie"
                                               << "" << false;
        // Back in salvo mode within the second: the result's timer still runs, and when it fires
        // it ends the new visit too. The next choice is then a take, never the salvo again.
        QTest::newRow("timer of the previous visit") << names << keys << "s1 m t m s1 m m t c1" << Ints{0, 0}
                                                     << names << "" << "" << false;
    }
    void steps()
    {
        auto [names, keys, steps, executed, shown, status, logged, salvoMode] = Fetch<QString, Ints, QString, Ints, QString, QString, QString, bool>(
            "names", "keys", "steps", "executed", "shown", "status", "logged", "salvoMode");
        TestPanel t;
        InitVariables(t.s, t.server);
        t.s.TcpIpMode = true;  // tables not in yet: leaving salvo mode rebuilds nothing, a take sends nothing
        const QStringList salvos = names.isEmpty() ? QStringList() : names.split(u'|');
        t.s.NumSalvos = int(salvos.size());
        t.s.SalvoAlphaList.assign(salvos.begin(), salvos.end());
        t.s.SalvoNumberList = {2, 0, 1};
        t.s.SalvoPosition = {1, 2, 0};
        t.s.SalvoKeys.assign(keys.begin(), keys.end());
        mnuSalvoMode_Click(t.panel);
        QCOMPARE(t.view.menuCaption[MenuCommand::SalvoMode], QStringLiteral("Crosspoint &Mode"));
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).unicode()) {
            case 's': SalvoChoice(t.panel, n); break;
            case 'm': mnuSalvoMode_Click(t.panel); break;
            case 't': if (t.view.salvoTimerEnabled) tmrSalvoMsg_Timer(t.panel); break;
            case 'c': cmboSourceSelect_Click(t.panel, n, t.view.sourceItems.value(n)); break;
            case 'p': t.s.SalvoPosition.clear(); break;
            case 'd': DisplayFirstSalvo(t.panel); break;
            }
        }
        const QStringList& items = t.view.sourceItems;
        QCOMPARE(Ints(t.server.salvos.begin(), t.server.salvos.end()), executed);
        QCOMPARE(!t.view.sourceText.isEmpty() ? t.view.sourceText
                 : items.size() > 3 ? items.first() + QStringLiteral("..") + items.last() : items.join(u'|'), shown);
        QVERIFY(status.isEmpty() || t.view.status1 == status);
        const QStringList lines = t.logLines();
        QVERIFY2(logged.isEmpty() ? lines.isEmpty()
                                  : lines.size() == 1 && lines[0].contains(logged + QStringLiteral(": Error # 9"))
                     && lines[0].contains(QStringLiteral("Salvo Error")), qPrintable(lines.join(u'|')));
        QCOMPARE(t.s.SalvoMode, salvoMode);
        QCOMPARE(t.view.salvoTimerEnabled, salvoMode && (shown == u"Executed" || shown == u"Failed"));
        if (!t.s.SalvoMode)
            QCOMPARE(t.view.menuCaption[MenuCommand::SalvoMode], QStringLiteral("Salvo &Mode"));
        QVERIFY(!t.s.Updating && (t.s.SalvoMode || !t.s.SalvoKeysShown));
    }
};

QTEST_GUILESS_MAIN(TestSalvo)
#include "tst_salvo.moc"
