#include "support/Fakes.h"

class TestPanelState final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // InitVariables starts from the default router size whatever stood before; the inhibit map
    // is looked up source first.
    void initVariables()
    {
        TestPanel t;
        t.s.NumInputs = 7;
        t.s.OutputStatus.assign(3, OutputStatusRecord{});
        InitVariables(t.s, t.server);
        QVERIFY(t.s.NumInputs == 256 && t.s.OutputStatus.size() == 256u && t.s.InhibitMap.size() == 256u * 256u);
        QVERIFY(t.s.InputAlphas[255] == u"Inpt0256" && t.s.FileTimeOutTicks == 500 && t.server.pollInterval == 100);
        t.s.setInhibit(3, 200, true);
        QVERIFY(t.s.inhibit(3, 200) && !t.s.inhibit(200, 3));
    }
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
