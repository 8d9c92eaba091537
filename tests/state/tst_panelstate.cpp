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
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
