#include "support/Fakes.h"

class TestPanelState final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // InitVariables names the sources from 1.
    void initVariables()
    {
        TestPanel t;
        InitVariables(t.s, t.server);
        QCOMPARE(t.s.InputAlphas[255], QStringLiteral("Inpt0256"));
    }

    // A box or dialog still open for the same reason is not shown again; once answered, it is.
    // Calls: "m:title:text" a message, "d:n" a dialog, "answer" the oldest open one.
    void shownOnceWhileOpen_data()
    {
        Columns<QString, int>("calls", "shown");
        QTest::newRow("same box twice") << QStringLiteral("m:A:x m:A:x") << 1;
        QTest::newRow("same title, other text") << QStringLiteral("m:A:x m:A:y") << 2;
        QTest::newRow("box again after its answer") << QStringLiteral("m:A:x answer m:A:x") << 2;
        QTest::newRow("same dialog twice") << QStringLiteral("d:1 d:1") << 1;
        QTest::newRow("dialog again after it closed") << QStringLiteral("d:1 answer d:1") << 2;
    }
    void shownOnceWhileOpen()
    {
        QFETCH(QString, calls);
        TestPanel t;
        t.prompts.hold = true;
        for (const QString& call : calls.split(u' ')) {
            const QStringList p = call.split(u':');
            if (p[0] == u"answer")
                QVERIFY(t.prompts.answerOldest());
            else if (p[0] == u"m")
                t.prompts.message(p[2], p[1], MsgIcon::None, MsgButtons::Ok);
            else
                t.prompts.showDialog(Dialog(p[1].toInt()), QString());
        }
        QTEST(int(t.prompts.asked.size()), "shown");
    }
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
