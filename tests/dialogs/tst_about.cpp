#include "support/Fakes.h"

#include "dialogs/About.h"

class TestAbout final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The settings the box shows in both modes, configured or not ("location" is the address or
    // the server path, "" none), with destination 5 "STUDIO A" at position 2 of the box.
    void texts_data()
    {
        Columns<bool, QString, QString>({"tcp", "location", "shown"});
        const QString files = QStringLiteral("/srv/zeb/*.ndf|Output 5 - (STUDIO A)|250 Milliseconds|9 Seconds");
        QTest::newRow("TCP/IP, default address") << true << "0.0.0.0" << "Not Specified|Not Specified|7 Second|12 Seconds";
        QTest::newRow("TCP/IP") << true << "10.1.2.3" << "10.1.2.3|Output 5 - (STUDIO A)|7 Second|12 Seconds";
        QTest::newRow("File, no path") << false << "" << "Not Specified|Not Specified|250 Milliseconds|9 Seconds";
        QTest::newRow("File") << false << "/srv/zeb/" << files;
        QTest::newRow("File, path without separator") << false << "/srv/zeb" << files;
    }
    void texts()
    {
        auto [tcp, location, shown] = Fetch<bool, QString, QString>("tcp", "location", "shown");
        TestPanel t;
        InitVariables(t.s, t.server);
        t.s.OutputListIndex = 2;
        t.s.OutputChannelList[2] = 4;
        t.s.OutputAlphaList[2] = QStringLiteral("STUDIO A");
        t.s.TcpIpMode = tcp;
        (tcp ? t.s.IpAddress : t.s.ServerPath) = location;
        std::tie(t.s.PollRate, t.s.IpTimeOut, t.s.RefreshRate, t.s.FileTimeOut) = std::tuple(7, 12, 250, 9);
        const AboutTexts a = About_Activate(t.panel);
        QCOMPARE(QStringList({a.serverLocation, a.outputControlled, a.rate, a.timeout}).join(u'|'), shown);
    }
};

QTEST_GUILESS_MAIN(TestAbout)
#include "tst_about.moc"
