#include "support/Fakes.h"
#include "support/RunDialog.h"

#include "dialogs/About.h"
#include "dialogs/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestAbout final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestPanel>();
        InitVariables(t->s, t->server);
        t->s.OutputListIndex = 2;
        t->s.OutputChannelList[2] = 4;
        t->s.OutputAlphaList[2] = QStringLiteral("STUDIO A");
    }
    void cleanup() { t.reset(); }

    // The setup texts in both modes, configured or not.
    void texts_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("location");  // IpAddress or ServerPath
        QTest::addColumn<QStringList>("shown"); // location, destination, rate, time-out
        const QString none = u"Not Specified"_s;
        const QString studio = u"Output 5 - (STUDIO A)"_s;
        const QStringList files{u"/srv/zeb/*.ndf"_s, studio, u"250 Milliseconds"_s, u"9 Seconds"_s};
        QTest::newRow("TCP/IP, default address") << true << "0.0.0.0"
                                                 << QStringList{none, none, u"1 Second"_s, u"30 Seconds"_s};
        QTest::newRow("TCP/IP") << true << "10.1.2.3"
                                << QStringList{u"10.1.2.3"_s, studio, u"7 Second"_s, u"12 Seconds"_s};
        QTest::newRow("File, no path") << false << ""
                                       << QStringList{none, none, u"100 Milliseconds"_s, u"50 Seconds"_s};
        QTest::newRow("File") << false << "/srv/zeb/" << files;
        QTest::newRow("File, path without separator") << false << "/srv/zeb" << files;
    }
    void texts()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, location);
        t->s.TcpIpMode = tcp;
        if (tcp) {
            t->s.IpAddress = location;
            if (location != QLatin1String("0.0.0.0")) {
                t->s.PollRate = 7;
                t->s.IpTimeOut = 12;
            }
        } else if (!location.isEmpty()) {
            t->s.ServerPath = location;
            t->s.RefreshRate = 250;
            t->s.FileTimeOut = 9;
        }
        const AboutTexts a = About_Activate(t->panel);
        QTEST((QStringList{a.serverLocation, a.outputControlled, a.rate, a.timeout}), "shown");
    }

    // The window shows the name and release line on two lines and the current settings each time it opens.
    void window()
    {
        AboutDialog dialog(t->panel);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ZEB Tova Vantrel Information"));
        auto text = [&](const char* n) { return dialog.findChild<QLabel*>(QLatin1String(n))->text(); };
        QStringList seen;
        auto readAndQuit = [&] {
            for (const char* n :
                 {"lblVersionInfo", "lblServerLocation", "lblOutputControlled", "lblRate", "lblTimeout"})
                seen << text(n);
            dialog.findChild<QPushButton*>(QStringLiteral("cmdAboutquit"))->click();
            if (dialog.isVisible())
                dialog.done(QDialog::Rejected);
        };
        QTimer::singleShot(0, &dialog, readAndQuit);
        QCOMPARE(RunDialog(dialog, QStringLiteral("x")), QStringLiteral("x"));
        const QString version = u"Tova Vantrel\nVersion 3.18 - 10/23/2009"_s;
        const QString none = u"Not Specified"_s;
        QCOMPARE(seen, (QStringList{version, none, none, u"100 Milliseconds"_s, u"50 Seconds"_s}));
        QVERIFY(!dialog.isVisible());

        t->s.TcpIpMode = true;
        t->s.IpAddress = QStringLiteral("10.1.2.3");
        seen.clear();
        QTimer::singleShot(0, &dialog, readAndQuit);
        RunDialog(dialog, QString());
        QCOMPARE(seen,
                 (QStringList{version, u"10.1.2.3"_s, u"Output 5 - (STUDIO A)"_s, u"1 Second"_s, u"30 Seconds"_s}));
    }

    // The texts arrive as the window opens; the window grows until each shows whole.
    void textsWhole_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("destination");
        QTest::newRow("TCP/IP, 16-character name") << true << u"192.168.100.200"_s << u"STUDIO A PGM OUT"_s;
        QTest::newRow("TCP/IP, wide letters") << true << u"10.0.0.1"_s << u"WWWWMMMMWWWWMMMM"_s;
        QTest::newRow("File, long path") << false << u"/mnt/zeb-server/network-data-files/"_s << u"STUDIO A"_s;
    }
    void textsWhole()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, location);
        QFETCH(QString, destination);
        t->s.TcpIpMode = tcp;
        (tcp ? t->s.IpAddress : t->s.ServerPath) = location;
        t->s.OutputAlphaList[2] = destination;
        AboutDialog dialog(t->panel);
        QStringList cut;
        QTimer::singleShot(0, &dialog, [&] {
            // The layouts' requests that the new texts posted.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                if (label->width() < label->sizeHint().width())
                    cut << label->text();
            dialog.done(QDialog::Accepted);
        });
        RunDialog(dialog, QString());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | ")));
    }

private:
    std::unique_ptr<TestPanel> t;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
