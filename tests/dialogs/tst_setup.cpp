#include "support/Fakes.h"

#include "dialogs/OutputSelect.h"
#include "dialogs/Setup.h"
#include "dialogs/SetupDialog.h"
#include "dialogs/SetupHelp.h"

#include <QCheckBox>
#include <QEnterEvent>
#include <QLabel>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTreeView>
#include <QPushButton>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(SetupField)

namespace {

// The dialog's fields as they stand after opening in TCP/IP mode on 10.0.0.1:1250.
struct Fixture {
    TestPanel t;
    SetupForm form;
    Fixture(bool tcpIp)
    {
        InitVariables(t.s, t.server);
        t.s.TcpIpMode = tcpIp;
        t.s.IpAddress = QStringLiteral("10.0.0.1");
        t.s.IpPort = 1250;
        t.s.ServerPath = t.s.AppDir;
        form.Tag = SetupInitialTag;
        Setup_Activate(t.panel, form, [] {});
    }
    // OK and Verify, answered at once: what they ended with, or nothing while they wait.
    std::optional<bool> ok()
    {
        std::optional<bool> hide;
        Setup_Ok(t.panel, form, [&hide](bool h) { hide = h; });
        return hide;
    }
    std::optional<bool> verify()
    {
        std::optional<bool> close;
        Setup_Verify(t.panel, form, [&close](bool c) { close = c; });
        return close;
    }
};

} // namespace

class TestSetup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // OK's checks in their order: the first field at fault shows its message and nothing after it
    // is applied; only the address takes the focus.
    void okValidation_data()
    {
        QTest::addColumn<bool>("tcpIp");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<SetupField>("focus");
        const QString format = QStringLiteral("Please Enter IP Address In The Following Format: 192.168.1.1");
        const QString port = QStringLiteral("Invalid IP Port #. Please reenter a number between 1 and 65535");
        const QString to3600 = QStringLiteral("Please enter a value between 1 and 3600");
        const QString to32500 = QStringLiteral("Please enter a value between 1 and 32500");
        const QString fmt = QStringLiteral("Data Format Error"), pe = QStringLiteral("Port Error"),
                      ie = QStringLiteral("Input Error");
        QTest::newRow("two dots") << true << "txtIP" << "192.168.1" << fmt << format << SetupField::txtIP;
        QTest::newRow("port 0") << true << "txtIpPort" << "0" << pe << port << SetupField::None;
        QTest::newRow("port 65536") << true << "txtIpPort" << "65536" << pe << port << SetupField::None;
        QTest::newRow("poll 0") << true << "txtPollRate" << "0" << ie << to3600 << SetupField::None;
        QTest::newRow("poll 3601") << true << "txtPollRate" << "3601" << ie << to3600 << SetupField::None;
        QTest::newRow("poll beyond 32 bits") << true << "txtPollRate" << "99999999999" << ie << to3600 << SetupField::None;
        QTest::newRow("refresh 32501") << false << "txtRefresh" << "32501" << ie << to32500 << SetupField::None;
        QTest::newRow("refresh 0") << true << "txtRefresh" << "0" << ie << to32500 << SetupField::None;
        QTest::newRow("file time-out 3601") << false << "txtTimeout" << "3601" << ie << to3600 << SetupField::None;
        QTest::newRow("IP time-out 0") << false << "txtIPTimeOut" << "0" << ie << to3600 << SetupField::None;
        QTest::newRow("IP time-out 3601") << true << "txtIPTimeOut" << "3601" << ie << to3600 << SetupField::None;
    }
    void okValidation()
    {
        QFETCH(bool, tcpIp);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        Fixture f(tcpIp);
        if (!tcpIp)
            Setup_optFileClick(f.form);
        QString* const texts[] = {&f.form.txtIP, &f.form.txtIpPort, &f.form.txtPollRate, &f.form.txtRefresh,
                                  &f.form.txtTimeout, &f.form.txtIPTimeOut};
        const char* const names[] = {"txtIP", "txtIpPort", "txtPollRate", "txtRefresh", "txtTimeout", "txtIPTimeOut"};
        for (int i = 0; i < 6; ++i)
            if (field == QLatin1String(names[i]))
                *texts[i] = typed;
        const int pollRate = f.t.s.PollRate;

        QCOMPARE(f.ok(), std::optional<bool>(false));
        QCOMPARE(int(f.t.prompts.asked.size()), 1);
        QTEST(f.t.prompts.asked[0].what, "title");
        QTEST(f.t.prompts.asked[0].text, "text");
        QTEST(f.form.focus, "focus");
        QCOMPARE(f.t.prompts.asked[0].icon, field == u"txtIP" ? MsgIcon::Critical : MsgIcon::None);
        if (field == u"txtIP")
            QCOMPARE(f.form.txtIP, QStringLiteral("10.0.0.1"));
        if (field == u"txtPollRate")
            QCOMPARE(f.t.s.PollRate, pollRate);
        QVERIFY(!QFile::exists(f.t.path(QStringLiteral("zebntpnl.ini"))));
    }

    // The largest values are accepted, held in 32 bits: poll 3600 s arms a 3,600,000 ms timer.
    void okAcceptsLimits()
    {
        Fixture f(true);
        f.form.txtIpPort = QStringLiteral("65535");
        f.form.txtPollRate = QStringLiteral("3600");
        f.form.txtIPTimeOut = QStringLiteral("3600");
        f.form.txtRefresh = QStringLiteral("32500");
        QCOMPARE(f.ok(), std::optional<bool>(true));
        QCOMPARE(f.t.s.IpPort, 65535);
        QCOMPARE(f.t.server.pollInterval, 3600000);
        QCOMPARE(f.t.view.status1, QStringLiteral("No System"));
        QVERIFY(QFile::exists(f.t.path(QStringLiteral("zebntpnl.ini"))));
    }

    // File mode: the timer follows the refresh rate, the time-out becomes ticks (1 ms and 3600 s
    // give 3,600,000 of them), and the files are read again.
    void fileModeTimer_data()
    {
        QTest::addColumn<QString>("refresh");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("unchanged leaves the timer") << "100" << "50" << -7 << 500;
        QTest::newRow("refresh 100, time-out 50 s") << "100" << "51" << 100 << 510;
        QTest::newRow("refresh 300 rounds") << "300" << "50" << 300 << 167;
        QTest::newRow("refresh 1, time-out 3600 s") << "1" << "3600" << 1 << 3600000;
    }
    void fileModeTimer()
    {
        Fixture f(false);
        f.t.server.pollInterval = -7;
        f.form.directory = f.t.s.AppDir;
        QFETCH(QString, refresh);
        QFETCH(QString, timeout);
        f.form.txtRefresh = refresh;
        f.form.txtTimeout = timeout;
        QCOMPARE(f.ok(), std::optional<bool>(true));
        QTEST(f.t.server.pollInterval, "interval");
        QTEST(f.t.s.FileTimeOutTicks, "ticks");
        QVERIFY(f.t.s.ServerPath.endsWith(QDir::separator()));
        QCOMPARE(f.t.server.reads, 1);
    }

    void fileModeUnreadable()
    {
        Fixture f(false);
        f.form.directory = f.t.s.AppDir;
        f.t.server.filesReadable = false;
        QCOMPARE(f.ok(), std::optional<bool>(false));
        QVERIFY(f.t.s.ServerPath.isEmpty());
        QCOMPARE(f.t.view.status1, QStringLiteral("Destination Controlled (NC) "));
    }

    void address_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("normal");
        QTest::newRow("leading zeros") << "192.168.001.010" << true << "192.168.1.10";
        QTest::newRow("above 255") << "10.0.0.300" << true << "10.0.0.255";
        QTest::newRow("leading dot") << ".1.2.3" << true << "0.1.2.3";
        QTest::newRow("fifth part rounds to even") << "1.2.3.4.5" << true << "1.2.3.4";
        QTest::newRow("no dot") << "1234" << false << "1234";
        QTest::newRow("two dots") << "1.2.3" << false << "1.2.3";
        QTest::newRow("nothing after the third dot") << "1.2.3." << false << "1.2.3.";
    }
    void address()
    {
        QFETCH(QString, typed);
        QTEST(Setup_CheckAddress(typed), "ok");
        QTEST(typed, "normal");
    }

    // Disconnect/connect pairs that OK causes.
    void reconnects_data()
    {
        QTest::addColumn<bool>("wasTcpIp");
        QTest::addColumn<bool>("tcpIp");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<int>("connects");
        QTest::addColumn<int>("disconnects");
        QTest::newRow("nothing changed") << true << true << "1250" << "10.0.0.1" << 0 << 0;
        QTest::newRow("address only") << true << true << "1250" << "10.0.0.2" << 1 << 1;
        QTest::newRow("address in normal form only") << true << true << "1250" << "10.0.0.01" << 0 << 0;
        QTest::newRow("port and address") << true << true << "1251" << "10.0.0.2" << 2 << 2;
        QTest::newRow("File to TCP/IP, same port") << false << true << "1250" << "10.0.0.9" << 1 << 1;
        QTest::newRow("File to TCP/IP, new port") << false << true << "1251" << "10.0.0.9" << 2 << 2;
        QTest::newRow("TCP/IP to File") << true << false << "1251" << "10.0.0.9" << 0 << 1;
    }
    void reconnects()
    {
        QFETCH(bool, wasTcpIp);
        QFETCH(bool, tcpIp);
        Fixture f(wasTcpIp);
        f.form.directory = f.t.s.AppDir;
        if (tcpIp != wasTcpIp)
            tcpIp ? Setup_optTCPIPClick(f.form) : Setup_optFileClick(f.form);
        QFETCH(QString, port);
        QFETCH(QString, ip);
        f.form.txtIpPort = port;
        f.form.txtIP = ip;
        QCOMPARE(f.ok(), std::optional<bool>(true));
        QTEST(f.t.server.connects, "connects");
        QTEST(f.t.server.disconnects, "disconnects");
        QCOMPARE(f.t.s.TcpIpMode, tcpIp);
        if (tcpIp != wasTcpIp)
            QCOMPARE(f.t.view.menuEnabled[MenuCommand::Connect], tcpIp);
        // A second OK finds nothing to change.
        const int connects = f.t.server.connects, disconnects = f.t.server.disconnects;
        QCOMPARE(f.ok(), std::optional<bool>(true));
        QCOMPARE(f.t.server.connects, connects);
        QCOMPARE(f.t.server.disconnects, disconnects);
    }

    // File mode: the destination, stay-on-top and OK wait for Verify; a directory or drive change
    // takes them away again.
    void fileModeNeedsVerify()
    {
        Fixture f(false);
        QCOMPARE(f.t.view.outputItems, QStringList{QStringLiteral("Server Not Verified")});
        QVERIFY(!f.form.cmdOkEnabled && !f.form.cmboOutputSelectEnabled && !f.form.chkStayOnTopEnabled);
        QVERIFY(f.form.cmdVerifyServerEnabled);

        const QString dir = f.t.s.AppDir;
        f.t.writeFile(QStringLiteral("lAlpha.ndf"), ExtAlpha(0, 4, 3));
        f.t.writeFile(QStringLiteral("lInhbt.ndf"), I16(4) + I16(3) + QByteArray(12, '0'));
        f.t.writeFile(QStringLiteral("lXptmap.ndf"), QByteArray(1, 1) + I16(0));
        f.t.writeFile(QStringLiteral("Status.ndf"), QByteArray(1, 1));
        Setup_DirectoryChange(f.form, dir);
        QCOMPARE(f.verify(), std::optional<bool>(false));
        QVERIFY(f.form.cmdOkEnabled && f.form.cmboOutputSelectEnabled && f.form.chkStayOnTopEnabled);
        QCOMPARE(f.t.view.outputItems.size(), 3);
        QCOMPARE(f.t.view.outputItems[2], QStringLiteral("Y0002      (ch 3)"));  // names keep their padding

        Setup_DirectoryChange(f.form, dir);
        QVERIFY(!f.form.cmdOkEnabled && !f.form.cmboOutputSelectEnabled && !f.form.chkStayOnTopEnabled);

        QCOMPARE(f.verify(), std::optional<bool>(false));
        QVERIFY(Setup_DriveChange(f.t.panel, f.form, QDir::rootPath()));
        QVERIFY(!f.form.cmdOkEnabled && !f.form.cmboOutputSelectEnabled && !f.form.chkStayOnTopEnabled);
        QCOMPARE(f.form.directory, QDir::rootPath());

        QVERIFY(!Setup_DriveChange(f.t.panel, f.form, f.t.path(QStringLiteral("no such drive"))));
        QCOMPARE(f.t.prompts.titles().last(), QStringLiteral("Error"));
        QCOMPARE(f.form.directory, QDir::rootPath());

        // A directory without a crosspoint file closes the dialog as Cancel does.
        Setup_DirectoryChange(f.form, dir);
        QFile::remove(f.t.path(QStringLiteral("lXptmap.ndf")));
        QCOMPARE(f.verify(), std::optional<bool>(true));
        QCOMPARE(f.form.Tag, SetupCancelTag);
    }

    void opening()
    {
        Fixture f(true);
        QCOMPARE(f.form.Tag, QString());
        QVERIFY(f.form.optTCPIP && f.form.cmdOkEnabled && f.form.chkStayOnTopEnabled);
        QCOMPARE(f.form.txtIP, QStringLiteral("10.0.0.1"));
        // Reopening with TCP/IP already selected runs no option click: stay-on-top stays disabled.
        f.form.Tag = SetupInitialTag;
        Setup_Activate(f.t.panel, f.form, [] {});
        QVERIFY(!f.form.chkStayOnTopEnabled);
        // An activation without "Initial" changes nothing.
        f.form.txtIP = QStringLiteral("typed");
        Setup_Activate(f.t.panel, f.form, [] {});
        QCOMPARE(f.form.txtIP, QStringLiteral("typed"));

        Fixture g(false);
        g.t.s.ServerPath = g.t.path(QStringLiteral("gone/"));
        g.form.Tag = SetupInitialTag;
        Setup_Activate(g.t.panel, g.form, [] {});
        QCOMPARE(g.t.prompts.titles(), QStringList{QStringLiteral("Drive Error")});
        QVERIFY(!g.t.s.ServerPath.endsWith(u'/'));
        QCOMPARE(g.form.directory, g.t.s.ServerPath);
    }

    void keys_data()
    {
        QTest::addColumn<SetupField>("field");
        QTest::addColumn<QString>("admitted");
        QTest::addColumn<QString>("discarded");
        QTest::newRow("address") << SetupField::txtIP << "0123456789.\b" << "a -,";
        QTest::newRow("port") << SetupField::txtIpPort << "09\b" << ".a-";
        QTest::newRow("refresh") << SetupField::txtRefresh << "5" << ".e+";
        QTest::newRow("password") << SetupField::txtPassword << "a.!9 " << "";
    }
    void keys()
    {
        QFETCH(SetupField, field);
        QFETCH(QString, admitted);
        QFETCH(QString, discarded);
        for (QChar c : admitted)
            QVERIFY2(Setup_KeyAdmitted(field, c), qPrintable(QString(c)));
        for (QChar c : discarded)
            QVERIFY2(!Setup_KeyAdmitted(field, c), qPrintable(QString(c)));
    }

    void help_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("tcpIp");
        QTest::addColumn<QString>("starts");
        QTest::addColumn<QString>("ends");
        QTest::newRow("refresh, File") << "txtRefresh" << false << "Enter the Refresh Rate" << "created and maintained by the Server Module. ";
        QTest::newRow("poll rate, TCP/IP") << "txtPollRate" << true << "Enter the Refresh Rate" << "the Vantrel will poll the Server Module. ";
        QTest::newRow("time-out, File") << "lblIPTimeOut" << false << "Enter the Time Out" << " unable to find or access the .ndf files.";
        QTest::newRow("time-out, TCP/IP") << "txtTimeout" << true << "Enter the Time Out" << "Server Module when it fails to respond to its polls.";
        QTest::newRow("OK shows none") << "cmdOk" << false << QString() << QString();
    }
    void help()
    {
        QFETCH(QString, control);
        QFETCH(bool, tcpIp);
        QFETCH(QString, starts);
        QFETCH(QString, ends);
        const QString text = SetupHelp_ForControl(control, tcpIp);
        QCOMPARE(text.isNull(), starts.isNull());
        QVERIFY2(text.startsWith(starts) && text.endsWith(ends), qPrintable(text));
    }

    // The window: controls by name, the pointer over a control sets the help, OK over nothing keeps it.
    void window()
    {
        TestPanel t;
        InitVariables(t.s, t.server);
        t.s.TcpIpMode = true;
        OutputSelect destinations;
        SetupDialog dialog(t.panel, destinations);
        dialog.setTag(SetupInitialTag);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* help = dialog.findChild<QLabel*>(QStringLiteral("lblHelp"));
        QVERIFY(help->text().startsWith(u"Specify the drive"));
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("cmdVerifyServer"))->isEnabled());

        auto hover = [&](const char* name) {
            auto* w = dialog.findChild<QWidget*>(QLatin1String(name));
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QCoreApplication::sendEvent(w, &enter);
        };
        hover("txtPollRate");
        QVERIFY(help->text().contains(u"poll the Server"));
        hover("cmdOk");
        QVERIFY(help->text().contains(u"poll the Server"));

        QTest::keyClicks(dialog.findChild<QWidget*>(QStringLiteral("txtIpPort")), QStringLiteral("x9."));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("txtIpPort"))->text(), QStringLiteral("12509"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        QCOMPARE(dialog.tag(), SetupCancelTag);
        QVERIFY(!dialog.isVisible());
    }

    // File mode in the window: Verify enables OK; picking a directory in the tree disables it.
    void windowFileMode()
    {
        TestPanel t;
        InitVariables(t.s, t.server);
        // The server directory comes after sixty others: out of sight unless the tree scrolls.
        for (int i = 0; i < 60; ++i)
            QDir(t.s.AppDir).mkdir(QStringLiteral("a%1").arg(i, 2, 10, QLatin1Char('0')));
        QDir(t.s.AppDir).mkpath(QStringLiteral("z-server/sub"));
        t.s.ServerPath = t.path(QStringLiteral("z-server/"));
        t.writeFile(QStringLiteral("z-server/lAlpha.ndf"), ExtAlpha(0, 4, 3));
        t.writeFile(QStringLiteral("z-server/lInhbt.ndf"), QByteArray(16, '0'));
        t.writeFile(QStringLiteral("z-server/lXptmap.ndf"), QByteArray(3, 1));
        t.writeFile(QStringLiteral("z-server/Status.ndf"), QByteArray(1, 1));
        OutputSelect destinations;
        SetupDialog dialog(t.panel, destinations);
        dialog.setTag(SetupInitialTag);
        dialog.show();
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"));
        QVERIFY(!ok->isEnabled());
        dialog.findChild<QPushButton*>(QStringLiteral("cmdVerifyServer"))->click();
        QVERIFY(ok->isEnabled());
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("chkStayOnTop"))->isEnabled());
        // The tree opens at the configured directory, selected and scrolled into view.
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("dirDirectory"));
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        QCOMPARE(model->filePath(tree->currentIndex()) + u'/', t.s.ServerPath);
        const QModelIndex home = model->index(t.dir.path());
        // Listed and sorted: the server directory is the last of its 61.
        QVERIFY(WaitUntil([model, home] {
            return model->rowCount(home) == 61 && model->fileName(model->index(60, 0, home)) == u"z-server";
        }));
        QVERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center()));
        tree->setCurrentIndex(model->index(t.path(QStringLiteral("z-server/sub"))));
        QVERIFY(!ok->isEnabled());
        QVERIFY(!dialog.findChild<QCheckBox*>(QStringLiteral("chkStayOnTop"))->isEnabled());
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
