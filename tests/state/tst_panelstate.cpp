#include "support/Fakes.h"

#include <QTest>

class TestPanelState final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaultsAfterInitVariables()
    {
        PanelState s;
        s.NumInputs = 7;  // InitVariables starts from the default router size whatever stood before
        FakeServer server;
        server.pollInterval = 0;
        InitVariables(s, server);

        QCOMPARE(s.NumInputs, 256);
        QCOMPARE(s.NumOutputs, 256);
        QCOMPARE(s.InputAlphas.size(), 256u);
        QCOMPARE(s.InputAlphas[0], QStringLiteral("Inpt0001"));
        QCOMPARE(s.InputAlphas[255], QStringLiteral("Inpt0256"));
        QCOMPARE(s.InhibitMap.size(), 256u * 256u);
        QCOMPARE(s.OutputStatus.size(), 256u);
        for (const auto& record : s.OutputStatus)
            QCOMPARE(record.Sources[0], 0);
        QCOMPARE(s.FileTimeOutTicks, 500);
        QCOMPARE(s.PendingTables, 0x5380);
        QCOMPARE(s.StayOnTop, TopMost);
        QVERIFY(s.HideInhibits);
        QVERIFY(!s.TcpIpMode);
        QCOMPARE(s.IpAddress, QStringLiteral("0.0.0.0"));
        QCOMPARE(s.IpPort, 1250);
        QCOMPARE(server.pollInterval, 100);
    }

    void inhibitLookupIsSourceMajor()
    {
        PanelState s;
        FakeServer server;
        InitVariables(s, server);
        s.setInhibit(3, 200, true);
        QVERIFY(s.inhibit(3, 200));
        QVERIFY(!s.inhibit(200, 3));
    }
};

QTEST_GUILESS_MAIN(TestPanelState)
#include "tst_panelstate.moc"
