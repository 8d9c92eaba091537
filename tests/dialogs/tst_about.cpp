#include "support/Fakes.h"

#include "support/RunDialog.h"

#include "dialogs/About.h"
#include "dialogs/AboutDialog.h"

#include <QLabel>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestAbout final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The settings the box shows in both modes, configured or not ("location" is the address or
    // the server path), with destination 5 "STUDIO A" at position 2 of the box.
    void texts_data()
    {
        Columns<bool, QString, QString>("tcp", "location", "shown");
        QTest::newRow("TCP/IP, default address") << true << "0.0.0.0" << "Not Specified|Not Specified|7 Second|12 Seconds";
        QTest::newRow("File, path without separator") << false << "/srv/zeb"
                                                      << "/srv/zeb/*.ndf|Output 5 - (STUDIO A)|250 Milliseconds|9 Seconds";
    }
    void texts()
    {
        auto [tcp, location, shown] = Fetch<bool, QString, QString>("tcp", "location", "shown");
        TestPanel t;
        InitVariables(t.s, t.server);
        t.s.OutputListIndex = 0;
        t.s.OutputChannelList[0] = 4;
        t.s.OutputAlphaList[0] = QStringLiteral("STUDIO A");
        t.s.TcpIpMode = tcp;
        (tcp ? t.s.IpAddress : t.s.ServerPath) = location;
        std::tie(t.s.PollRate, t.s.IpTimeOut, t.s.RefreshRate, t.s.FileTimeOut) = std::tuple(7, 12, 250, 9);
        const AboutTexts a = About_Activate(t.panel);
        QCOMPARE(QStringList({a.serverLocation, a.outputControlled, a.rate, a.timeout}).join(u'|'), shown);
    }

    // The window's release lines, and every text whole once the window has laid out.
    void window()
    {
        TestPanel t;
        InitVariables(t.s, t.server);
        t.s.TcpIpMode = true;
        t.s.IpAddress = u"192.168.100.200"_s;
        t.s.OutputAlphaList[0] = u"STUDIO A PGM OUT"_s;
        AboutDialog dialog(t.panel);
        QStringList cut;
        QString version;
        QTimer::singleShot(0, &dialog, [&] {
            // The layouts' requests that the new texts posted.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                if (label->width() < label->sizeHint().width())
                    cut << label->text();
            version = dialog.findChild<QLabel*>(u"lblVersionInfo"_s)->text();
            dialog.done(QDialog::Accepted);
        });
        QCOMPARE(RunDialog(dialog, u"tag"_s), u"tag"_s);
        QCOMPARE(version, u"Tova Vantrel\nVersion 3.18 - 10/23/2009"_s);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | ")));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
