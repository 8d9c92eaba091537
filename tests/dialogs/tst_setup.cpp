#include "support/Fakes.h"

#include "dialogs/OutputSelect.h"
#include "dialogs/Setup.h"
#include "dialogs/SetupDialog.h"
#include "dialogs/SetupHelp.h"

#include <QCheckBox>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
#include <QWindow>

namespace {

// Network data files of 4 sources and 3 destinations.
void PutServerFiles(const TestPanel& t, const QString& dir = {})
{
    t.writeFile(dir + QStringLiteral("lAlpha.ndf"), ExtAlpha(0, 4, 3));
    t.writeFile(dir + QStringLiteral("lInhbt.ndf"), I16(4) + I16(3) + QByteArray(12, '0'));
    t.writeFile(dir + QStringLiteral("lXptmap.ndf"), QByteArray(1, 1) + I16(0));
    t.writeFile(dir + QStringLiteral("Status.ndf"), QByteArray(1, 1));
}

// The dialog after opening on 10.0.0.1:1250 with the temporary directory as the server
// directory; the poll timer's interval is -7 to show whether OK sets it.
struct Fixture : TestPanel {
    SetupForm form;
    explicit Fixture(bool tcpIp)
    {
        InitVariables(s, server);
        std::tie(s.TcpIpMode, s.IpAddress, s.IpPort, s.ServerPath) = std::tuple(tcpIp, QStringLiteral("10.0.0.1"), 1250, s.AppDir);
        server.pollInterval = -7;
        form.Tag = SetupInitialTag;
        Setup_Activate(panel, form, [] {});
        form.directory = s.AppDir;
    }
    // Types "field=value ..." ("tcp", "file": the mode's option) and presses OK; what it ended
    // with, or nothing while it waits.
    std::optional<bool> press(const QString& typed = {})
    {
        const std::map<QString, QString*> texts{{QStringLiteral("txtIP"), &form.txtIP}, {QStringLiteral("txtIpPort"), &form.txtIpPort},
            {QStringLiteral("txtPollRate"), &form.txtPollRate}, {QStringLiteral("txtRefresh"), &form.txtRefresh},
            {QStringLiteral("txtTimeout"), &form.txtTimeout}, {QStringLiteral("txtIPTimeOut"), &form.txtIPTimeOut}};
        for (const QString& edit : typed.split(u' ', Qt::SkipEmptyParts)) {
            if (edit == u"tcp")
                Setup_optTCPIPClick(form);
            else if (edit == u"file")
                Setup_optFileClick(form);
            else if (texts.count(edit.section(u'=', 0, 0)))
                *texts.at(edit.section(u'=', 0, 0)) = edit.section(u'=', 1);
        }
        std::optional<bool> done;
        Setup_Ok(panel, form, [&done](bool d) { done = d; });
        return done;
    }
};

} // namespace

class TestSetup final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // OK's checks in their order: the first field at fault shows its message and nothing after it
    // is applied; only the address takes the focus (and gets its stored text back).
    void okRefused_data()
    {
        Columns<bool, QString, QString>("tcpIp", "typed", "message");
        const QString address = QStringLiteral("Data Format Error:Please Enter IP Address In The Following Format: 192.168.1.1");
        const QString port = QStringLiteral("Port Error:Invalid IP Port #. Please reenter a number between 1 and 65535");
        const QString to3600 = QStringLiteral("Input Error:Please enter a value between 1 and 3600");
        QTest::newRow("nothing after the third dot") << true << "txtIP=1.2.3." << address;
        QTest::newRow("port 0") << true << "txtIpPort=0" << port;
        QTest::newRow("poll 0") << true << "txtPollRate=0" << to3600;
        QTest::newRow("IP time-out 3601") << true << "txtIPTimeOut=3601 txtPollRate=7" << to3600;
    }
    void okRefused()
    {
        auto [tcpIp, typed, message] = Fetch<bool, QString, QString>("tcpIp", "typed", "message");
        Fixture f(tcpIp);
        QCOMPARE(f.press(typed), std::optional<bool>(false));
        QCOMPARE(f.prompts.asked.size(), 1u);
        QCOMPARE(f.prompts.asked[0].what + u':' + f.prompts.asked[0].text, message);
        const bool address = typed.startsWith(u"txtIP=");
        QVERIFY(f.form.focus == (address ? SetupField::txtIP : SetupField::None) && f.form.txtIP == QStringLiteral("10.0.0.1"));
        QVERIFY(f.prompts.asked[0].icon == (address ? MsgIcon::Critical : MsgIcon::None) && !QFile::exists(f.path(QStringLiteral("zebntpnl.ini"))));
        QCOMPARE(f.s.PollRate, typed.contains(u"=7") ? 7 : 1);
        QCOMPARE(f.view.outputItems, QStringList{QStringLiteral("Server Not Verified")});  // no tables yet
    }

    // What OK does: "hide|connects|disconnects|poll interval|time-out ticks|reads|destination|
    // Connect command|address|status text". The largest values fit 32 bits: poll 3600 s arms a
    // 3,600,000 ms timer. Coming from TCP/IP mode, File mode re-arms the timer at its refresh rate.
    void ok_data()
    {
        Columns<bool, QString, QString>("tcpIp", "typed", "done");
        QTest::newRow("largest values, box position 2") << true << "txtIpPort=65535 txtPollRate=3600 txtIPTimeOut=3600 txtRefresh=32500 box=2"
                                                        << "1|1|1|3600000|500|0|11|0|10.0.0.1|No System";
        QTest::newRow("address: leading zeros, above 255") << true << "txtIP=192.168.001.300" << "1|1|1|1000|500|0|0|0|192.168.1.255|No System";
        QTest::newRow("address: leading dot, fifth part") << true << "txtIP=.1.2.3.5" << "1|1|1|1000|500|0|0|0|0.1.2.4|No System";
        QTest::newRow("File to TCP/IP, same port") << false << "tcp txtIP=10.0.0.9" << "1|1|1|1000|500|0|0|1|10.0.0.9|No System";
        QTest::newRow("TCP/IP to File re-arms the timer") << true << "file" << "1|0|1|100|500|1|0|0|10.0.0.1|Destination:  [001]";
        QTest::newRow("File, time-out 51 s") << false << "txtTimeout=51" << "1|0|0|100|510|1|0|0|10.0.0.1|Destination:  [001]";
        QTest::newRow("File, refresh 300 rounds, box position 2") << false << "txtRefresh=300 box=2" << "1|0|0|300|167|1|11|0|10.0.0.1|Destination:  [012]";
    }
    void ok()
    {
        auto [tcpIp, typed, done] = Fetch<bool, QString, QString>("tcpIp", "typed", "done");
        Fixture f(tcpIp);
        const int order = f.s.StayOnTop;  // the dialog opened with it and OK keeps it
        f.s.OutputChannelList[2] = 11;  // the destination is the channel at the box's position
        f.form.SetupOutputListIndex = typed.contains(u"box=2") ? 2 : 0;
        const std::optional<bool> hide = f.press(typed);
        QCOMPARE(QStringList({QString::number(hide.value_or(false)), QString::number(f.server.connects),
                 QString::number(f.server.disconnects), QString::number(f.server.pollInterval), QString::number(f.s.FileTimeOutTicks),
                 QString::number(f.server.reads), QString::number(f.s.OutputControlled), QString::number(f.view.menuEnabled[MenuCommand::Connect]),
                 f.s.IpAddress, f.view.status1}).join(u'|'), done);
        QCOMPARE(f.s.StayOnTop, order);
    }

    // The key filter ("admitted|discarded"), and the field help by the mode selected.
    void keysAndHelp()
    {
        const std::pair<SetupField, QString> keys[] = {{SetupField::txtIP, QStringLiteral("0123456789.\b|a -,")}, {SetupField::txtIpPort, QStringLiteral("09\b|.a-")},
                                                       {SetupField::txtRefresh, QStringLiteral("5|.e+")}, {SetupField::txtPassword, QStringLiteral("a.!9 |")}};
        for (const auto& [field, typed] : keys)
            for (QChar c : typed)
                QVERIFY2(c == u'|' || Setup_KeyAdmitted(field, c) == (typed.indexOf(c) < typed.indexOf(u'|')), qPrintable(typed + c));
        const QString help[][3] = {{QStringLiteral("txtRefresh"), QStringLiteral("Enter the Refresh Rate"), QStringLiteral("created and maintained by the Server Module. ")},
                                   {QStringLiteral("txtTimeout"), QStringLiteral("Enter the Time Out"), QStringLiteral("Server Module when it fails to respond to its polls.")},
                                   {QStringLiteral("lblPassword"), QStringLiteral("If desired, enter the Password"), QStringLiteral("prompted to enter the required password.")},
                                   {QStringLiteral("txtIpPort"), QStringLiteral("Enter the IP Port"), QStringLiteral("The default is 1250.")}};
        for (int i = 0; i < 4; ++i) {  // File, TCP/IP, File, TCP/IP
            const QString text = SetupHelp_ForControl(help[i][0], i % 2 == 1);
            QVERIFY2(text.startsWith(help[i][1]) && text.endsWith(help[i][2]), qPrintable(text));
        }
        QVERIFY(SetupHelp_ForControl(QStringLiteral("cmdOk"), false).isNull());
    }

    // The window in File mode as it opens, before any Verify: the tree selects the configured
    // directory (or, when that is missing, after "Invalid Drive", the program's directory) with
    // every directory above it expanded and its row in sight; Verify enables OK; picking another
    // directory disables OK again.
    void windowFileMode_data()
    {
        Columns<QString, QString>("server", "shown");
        QTest::newRow("configured directory") << "z-server/b/c/" << "z-server/b/c";
        QTest::newRow("missing: the program's directory") << "missing/" << "";
    }
    void windowFileMode()
    {
        auto [server, shown] = Fetch<QString, QString>("server", "shown");
        TestPanel t;
        InitVariables(t.s, t.server);
        // The server directory comes after sixty others: out of sight unless the tree scrolls.
        for (int i = 0; i < 60; ++i)
            QDir(t.s.AppDir).mkdir(QStringLiteral("a%1").arg(i, 2, 10, QLatin1Char('0')));
        QDir(t.s.AppDir).mkpath(QStringLiteral("z-server/b/c"));
        t.s.ServerPath = t.path(server);
        PutServerFiles(t, shown.isEmpty() ? shown : shown + u'/');
        OutputSelect destinations;
        SetupDialog dialog(t.panel, destinations);
        // The directory is looked at off the GUI thread: its answer comes after the dialog shows.
        t.worker.hold = true;
        bool shownWhenAsked = false;  // the window, when the message came, was on screen at its size
        t.prompts.windowOrderNow = [&dialog, &shownWhenAsked] {
            shownWhenAsked = dialog.windowHandle() && dialog.windowHandle()->isVisible()
                && dialog.width() >= dialog.minimumSizeHint().width() && dialog.height() >= dialog.minimumSizeHint().height();
            return 0;
        };
        dialog.openWith(SetupInitialTag, {});
        t.worker.hold = false;
        t.worker.finishAll();
        QCOMPARE(t.prompts.titles().join(u'|'), shown.isEmpty() ? QStringLiteral("Drive Error") : QString());
        QVERIFY(shown.isEmpty() == (shownWhenAsked && t.prompts.asked[0].text == u"Invalid Drive" && t.s.ServerPath == t.dir.path()));
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("dirDirectory"));
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        const QString expected = shown.isEmpty() ? t.dir.path() : t.path(shown);
        QCOMPARE(model->filePath(tree->currentIndex()), expected);
        // Once the program's directory is listed and sorted (the server directory last of its 61),
        // the row stands in sight.
        const QModelIndex home = model->index(t.dir.path());
        QTRY_VERIFY([&] {
            if (!shown.isEmpty() && (model->rowCount(home) != 61 || model->fileName(model->index(60, 0, home)) != u"z-server"))
                return false;
            for (QModelIndex above = tree->currentIndex().parent(); above.isValid() && above != tree->rootIndex(); above = above.parent())
                if (!tree->isExpanded(above))
                    return false;
            const QRect row = tree->visualRect(tree->currentIndex());
            return !row.isEmpty() && tree->viewport()->rect().contains(row);
        }());
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"));
        auto* onTop = dialog.findChild<QCheckBox*>(QStringLiteral("chkStayOnTop"));
        QVERIFY(!ok->isEnabled());
        dialog.findChild<QPushButton*>(QStringLiteral("cmdVerifyServer"))->click();
        QVERIFY(ok->isEnabled() && onTop->isEnabled());
        tree->setCurrentIndex(model->index(t.path(QStringLiteral("a00"))));
        QVERIFY(!ok->isEnabled() && !onTop->isEnabled());
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
