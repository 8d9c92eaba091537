#include "support/Fakes.h"

#include "storage/DisplayListFile.h"
#include "storage/IniFile.h"
#include "storage/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Ini = QStringLiteral("zebntpnl.ini");

// A complete settings file; individual keys are replaced by the cases.
QByteArray completeFile()
{
    return "[CONFIG]\r\nOutput=5\r\nTCP/IP Mode=Yes\r\nHide Inhibits=Yes\r\nDisplay List=1101\r\nStay On Top=Yes\r\n"
           "[FILE]\r\nServer path=/srv/zeb\r\nRefresh Rate=250\r\nTime Out=20\r\n"
           "[TCP/IP]\r\nIP Port=1250\r\nIP Address=10.1.2.3\r\nPoll Rate=2\r\nTime Out=30\r\nIP Password=bdf\r\n"
           "[SECURITY]\r\nUser Name=op\r\nPassword=bdf\r\n";
}

QByteArray withKey(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    IniFile ini = IniFile::parse(completeFile());
    ini.setValue(section, key, value);
    return ini.toBytes();
}

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// Everything ReadSettings sets, as text, for whole-state comparisons.
QStringList settingsOf(const PanelState& s)
{
    return {QString::number(s.OutputControlled), QString::number(s.TcpIpMode), QString::number(s.HideInhibits),
            s.DisplayList, QString::number(s.StayOnTop), s.ServerPath, QString::number(s.RefreshRate),
            QString::number(s.FileTimeOut), QString::number(s.FileTimeOutTicks), QString::number(s.IpPort),
            s.IpAddress, QString::number(s.PollRate), QString::number(s.IpTimeOut), s.IpPassword, s.UserName,
            s.UserPassword};
}

} // namespace

class TestSettings final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { t = std::make_unique<TestPanel>(); InitVariables(t->s, t->server); }
    void cleanup() { t.reset(); }

    void readsCompleteFile()
    {
        t->writeFile(Ini, completeFile());
        QVERIFY(ReadSettings(t->panel));
        const PanelState& s = t->s;
        QCOMPARE(s.OutputControlled, 4);
        QVERIFY(s.TcpIpMode);
        QVERIFY(s.HideInhibits);
        QCOMPARE(s.DisplayList, QStringLiteral("1101"));
        QCOMPARE(s.StayOnTop, TopMost);
        QCOMPARE(s.ServerPath, QStringLiteral("/srv/zeb"));
        QCOMPARE(s.RefreshRate, 250);
        QCOMPARE(s.FileTimeOut, 20);
        QCOMPARE(s.FileTimeOutTicks, 80);
        QCOMPARE(s.IpAddress, QStringLiteral("10.1.2.3"));
        QCOMPARE(s.PollRate, 2);
        QCOMPARE(s.IpTimeOut, 30);
        QCOMPARE(s.IpPassword, QStringLiteral("abc"));
        QCOMPARE(s.UserName, QStringLiteral("op"));
        QCOMPARE(s.UserPassword, QStringLiteral("abc"));
        // TCP/IP mode: the poll timer runs at the poll rate; the window order is applied last.
        QCOMPARE(t->server.pollInterval, 2000);
        QCOMPARE(t->view.windowOrderLog.last(), QStringLiteral("-1"));
        QVERIFY(t->logLines().isEmpty());
    }

    void keyConversions_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("field");  // index into settingsOf()
        QTest::addColumn<QString>("expected");

        QTest::newRow("Output -3 is channel 1") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("-3") << 0 << "0";
        QTest::newRow("Output leading number") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("12 studio") << 0 << "11";
        QTest::newRow("Output rounds") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("7.6") << 0 << "7";
        QTest::newRow("yes in lower case is File mode") << QByteArray("CONFIG") << QByteArray("TCP/IP Mode") << QByteArray("yes") << 1 << "0";
        QTest::newRow("Hide Inhibits No") << QByteArray("CONFIG") << QByteArray("Hide Inhibits") << QByteArray("No") << 2 << "0";
        QTest::newRow("empty display list shows all") << QByteArray("CONFIG") << QByteArray("Display List") << QByteArray() << 3 << QString(256, QLatin1Char('1'));
        QTest::newRow("Stay On Top other text") << QByteArray("CONFIG") << QByteArray("Stay On Top") << QByteArray("yes") << 4 << "-2";
        QTest::newRow("Refresh Rate 0") << QByteArray("FILE") << QByteArray("Refresh Rate") << QByteArray("0") << 6 << "1";
        QTest::newRow("Refresh Rate 40000") << QByteArray("FILE") << QByteArray("Refresh Rate") << QByteArray("40000") << 6 << "32500";
        QTest::newRow("File Time Out 5000") << QByteArray("FILE") << QByteArray("Time Out") << QByteArray("5000") << 7 << "3600";
        QTest::newRow("ticks follow the rate") << QByteArray("FILE") << QByteArray("Refresh Rate") << QByteArray("3") << 8 << "6667";
        QTest::newRow("port with blanks") << QByteArray("TCP/IP") << QByteArray("IP Port") << QByteArray(" 4000 ") << 9 << "4000";
        QTest::newRow("Poll Rate 5000") << QByteArray("TCP/IP") << QByteArray("Poll Rate") << QByteArray("5000") << 11 << "3600";
        QTest::newRow("IP Time Out 3601") << QByteArray("TCP/IP") << QByteArray("Time Out") << QByteArray("3601") << 12 << "3600";
        QTest::newRow("password near 255") << QByteArray("TCP/IP") << QByteArray("IP Password") << QByteArray("\xff\xff") << 13 << QString::fromLatin1("\xfe\xfd");
        QTest::newRow("empty password") << QByteArray("SECURITY") << QByteArray("Password") << QByteArray() << 15 << "";
    }
    void keyConversions()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, text);
        QFETCH(int, field);
        QFETCH(QString, expected);
        t->writeFile(Ini, withKey(section, key, text));
        QVERIFY(ReadSettings(t->panel));
        QCOMPARE(settingsOf(t->s).at(field), expected);
    }

    void emptySectionsGiveEmptyTextValues()
    {
        t->writeFile(Ini, "[CONFIG]\r\n[FILE]\r\n[TCP/IP]\r\nIP Port=1250\r\n[SECURITY]\r\n");
        QVERIFY(ReadSettings(t->panel));
        const PanelState& s = t->s;
        QCOMPARE(s.OutputControlled, 0);
        QVERIFY(!s.TcpIpMode);
        QVERIFY(!s.HideInhibits);
        QCOMPARE(s.StayOnTop, NotTopMost);
        QCOMPARE(s.DisplayList, QString(s.NumInputs, QLatin1Char('1')));
        QCOMPARE(s.RefreshRate, 1);
        QCOMPARE(s.FileTimeOut, 1);
        QCOMPARE(s.PollRate, 1);
        QCOMPARE(s.IpTimeOut, 1);
        QCOMPARE(s.FileTimeOutTicks, 1000);
        QCOMPARE(t->server.pollInterval, 1);  // File mode: the refresh rate
        QCOMPARE(t->view.windowOrder, NotTopMost);
    }

    // A read that fails stops at the failing key: earlier keys hold their new values, later
    // ones their start-up values, and the window order is not applied.
    void readErrors_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("pollRate");  // start-up 1 unless the failure lies after "Poll Rate"

        QTest::newRow("missing port") << QByteArray("TCP/IP") << QByteArray("IP Port") << QByteArray() << 1;
        QTest::newRow("non-numeric port") << QByteArray("TCP/IP") << QByteArray("IP Port") << QByteArray("12a") << 1;
        QTest::newRow("port beyond 32 bits") << QByteArray("TCP/IP") << QByteArray("IP Port") << QByteArray("4294967296") << 1;
        QTest::newRow("rate not a whole number text") << QByteArray("TCP/IP") << QByteArray("Poll Rate") << QByteArray("5 s") << 1;
        QTest::newRow("password code below 0") << QByteArray("TCP/IP") << QByteArray("IP Password") << QByteArray("\x01\x01") << 2;
        QTest::newRow("Output overflow") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("99999") << 1;
    }
    void readErrors()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, text);
        QFETCH(int, pollRate);
        QByteArray file = withKey(section, key, text);
        if (text.isEmpty())
            file.replace("IP Port=\r\n", "");
        t->writeFile(Ini, file);
        QVERIFY(!ReadSettings(t->panel));
        QCOMPARE(t->s.PollRate, pollRate);
        QCOMPARE(t->s.UserName, QString());  // never reached
        QVERIFY(t->view.windowOrderLog.isEmpty());
        const QStringList log = t->logLines();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log[0].mid(60).startsWith(QStringLiteral("Error reading ini File: Error # ")), qPrintable(log[0]));
        QCOMPARE(log[0].mid(24, 10), QStringLiteral("File Error"));
    }

    void missingFileKeepsDefaults()
    {
        QVERIFY(!ReadSettings(t->panel));
        QCOMPARE(t->s.RefreshRate, 100);
        QCOMPARE(t->s.IpAddress, QStringLiteral("0.0.0.0"));
        const QStringList log = t->logLines();
        QCOMPARE(log.size(), 1);
        QVERIFY(log[0].mid(60).startsWith(QStringLiteral("Ini File not found: Error # ")));
    }

    void roundTrip_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("output");
        QTest::newRow("file mode") << false << QStringLiteral("abc") << 0;
        QTest::newRow("codes near 255") << true << QString::fromLatin1("\xfe\xfd\xfc") << 17;
        QTest::newRow("blanks and equals") << false << QStringLiteral(" a=b ") << 3;
        QTest::newRow("empty") << true << QString() << 1;
    }
    void roundTrip()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, password);
        QFETCH(int, output);
        PanelState& s = t->s;
        s.OutputControlled = output;
        s.TcpIpMode = tcp;
        s.HideInhibits = false;
        s.DisplayList = QStringLiteral("10110");
        s.StayOnTop = NotTopMost;
        s.ServerPath = QStringLiteral("/mnt/zeb server/data");
        s.RefreshRate = 32500;
        s.FileTimeOut = 3600;
        s.IpPort = 70000;
        s.IpAddress = QStringLiteral("192.168.0.77");
        s.PollRate = 3600;
        s.IpTimeOut = 12;
        s.IpPassword = password;
        s.UserName = QStringLiteral("Night Shift");
        s.UserPassword = password;
        s.FileTimeOutTicks = static_cast<int>(std::nearbyint(1000.0 / s.RefreshRate * s.FileTimeOut));
        QVERIFY(WriteSettings(t->panel));
        const QStringList written = settingsOf(s);

        TestPanel fresh;
        QFile::copy(t->path(Ini), fresh.path(Ini));
        QFile::copy(t->path(QStringLiteral("DisplayList.dat")), fresh.path(QStringLiteral("DisplayList.dat")));
        InitVariables(fresh.s, fresh.server);
        QVERIFY(ReadSettings(fresh.panel));
        QCOMPARE(settingsOf(fresh.s), written);
        QVERIFY(t->logLines().isEmpty());
    }

    void unencodablePasswordIsAWriteError()
    {
        t->s.ServerPath = QStringLiteral("/srv");
        t->s.UserName = QStringLiteral("op");
        t->s.UserPassword = QString::fromLatin1("\xff");  // 255 + 1 does not fit a byte
        QVERIFY(!WriteSettings(t->panel));
        // Keys before the password were still written.
        IniFile ini = IniFile::parse(t->readFile(Ini));
        QCOMPARE(ini.value("SECURITY", "User Name"), QByteArray("op"));
        QCOMPARE(ini.value("SECURITY", "Password"), QByteArray());
        QVERIFY(t->logLines().last().mid(60).startsWith(QStringLiteral("Error writing ini file: Error # ")));
    }

    void nothingToConfigureWritesNothing()
    {
        t->s.ServerPath.clear();
        t->s.TcpIpMode = false;
        QVERIFY(!WriteSettings(t->panel));
        QVERIFY(!QFileInfo::exists(t->path(Ini)));
        QVERIFY(!QFileInfo::exists(t->path(QStringLiteral("DisplayList.dat"))));
    }

    void secondWriteChangesNothing()
    {
        t->writeFile(Ini, completeFile());
        QVERIFY(ReadSettings(t->panel));
        QVERIFY(WriteSettings(t->panel));
        const QByteArray bytes = t->readFile(Ini);
        // Move the modification time back so that any rewrite would show.
        const QDateTime past = QFileInfo(t->path(Ini)).lastModified().addSecs(-10);
        {
            QFile f(t->path(Ini));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(past, QFileDevice::FileModificationTime));
        }
        QVERIFY(WriteSettings(t->panel));
        QCOMPARE(t->readFile(Ini), bytes);
        QCOMPARE(QFileInfo(t->path(Ini)).lastModified(), past);
    }

    // A stored text stays when it reads as the setting: "Output" by its leading number minus 1
    // as it stands, the other numbers by their leading number taken to the nearest whole number.
    void numericKeysCompareByValue_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("Output with a name") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("5 (studio)") << QByteArray("5 (studio)");
        QTest::newRow("Output 4.0") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("4.0") << QByteArray("4.0");
        QTest::newRow("Output 3.6 controls 4") << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("3.6") << QByteArray("4");
        QTest::newRow("Refresh Rate 250.2") << QByteArray("FILE") << QByteArray("Refresh Rate") << QByteArray("250.2") << QByteArray("250.2");
        QTest::newRow("Poll Rate 2.5 reads 2") << QByteArray("TCP/IP") << QByteArray("Poll Rate") << QByteArray("2.5") << QByteArray("2.5");
        // A key of the panel's own: absent means "No" and is not added; only "Yes" turns it on.
        QTest::newRow("Auto Reconnect absent") << QByteArray("TCP/IP") << QByteArray("Auto Reconnect") << QByteArray() << QByteArray();
        QTest::newRow("Auto Reconnect Yes") << QByteArray("TCP/IP") << QByteArray("Auto Reconnect") << QByteArray("Yes") << QByteArray("Yes");
        QTest::newRow("Auto Reconnect yes is No") << QByteArray("TCP/IP") << QByteArray("Auto Reconnect") << QByteArray("yes") << QByteArray("No");
    }
    void numericKeysCompareByValue()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, stored);
        t->writeFile(Ini, withKey(section, key, stored));
        QVERIFY(ReadSettings(t->panel));
        QVERIFY(WriteSettings(t->panel));
        QTEST(IniFile::parse(t->readFile(Ini)).value(section, key), "written");
    }

    void unknownLinesSurvive()
    {
        const QByteArray extra = "; written by the installer\r\n[CONFIG]\r\nOutput=1\r\nLanguage=fr\r\n"
                                 "[Vendor]\r\nLicence=XYZ-1\r\n";
        t->writeFile(Ini, extra);
        t->s.TcpIpMode = true;
        t->s.OutputControlled = 9;
        QVERIFY(WriteSettings(t->panel));
        const QByteArray after = t->readFile(Ini);
        QVERIFY(after.startsWith("; written by the installer\r\n[CONFIG]\r\nOutput=10\r\nLanguage=fr\r\n"));
        QVERIFY(after.contains("[Vendor]\r\nLicence=XYZ-1\r\n"));
        QCOMPARE(IniFile::parse(after).value("TCP/IP", "IP Port"), QByteArray("1250"));
    }

    void readOnlyFileIsWritten()
    {
        t->writeFile(Ini, completeFile());
        QFile::setPermissions(t->path(Ini), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QVERIFY(ReadSettings(t->panel));
        t->s.OutputControlled = 20;
        QVERIFY(WriteSettings(t->panel));
        QVERIFY(QFileInfo(t->path(Ini)).permissions() & QFileDevice::WriteOwner);
        QCOMPARE(IniFile::parse(t->readFile(Ini)).value("CONFIG", "Output"), QByteArray("21"));
    }

    // A write that fails half-way (here: the file size limit, as a full disk would) leaves the
    // old file whole and is reported.
    void failedWriteKeepsOldFile()
    {
        QByteArray file = completeFile();
        file += "[Notes]\r\n" + QByteArray(4000, 'x') + "=1\r\n";
        t->writeFile(Ini, file);
        QVERIFY(ReadSettings(t->panel));
        t->s.OutputControlled = 100;

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = WriteSettings(t->panel);
        setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(!written);
        QCOMPARE(t->readFile(Ini), file);
        QCOMPARE(QDir(t->dir.path()).entryList({QStringLiteral("zebntpnl*")}, QDir::Files), QStringList{Ini});
        QVERIFY(t->logLines().last().mid(60).startsWith(QStringLiteral("Error writing ini file: Error # ")));
    }

    // A write killed between naming its temporary file and the rename leaves that file; the
    // next write removes such leftovers, and only those.
    void nextWriteRemovesLeftovers()
    {
        t->writeFile(Ini, completeFile());
        const QStringList others{Ini + QStringLiteral(".backup"), Ini + QStringLiteral(".new-toolong")};
        for (const QString& name : others + QStringList{Ini + QStringLiteral(".new-Ab3xY9")})
            t->writeFile(name, "kept?");
        QVERIFY(ReadSettings(t->panel));
        t->s.OutputControlled = 20;
        QVERIFY(WriteSettings(t->panel));
        QStringList expected = others + QStringList{Ini, QStringLiteral("DisplayList.dat")};
        expected.sort();
        QCOMPARE(QDir(t->dir.path()).entryList(QDir::Files, QDir::Name), expected);
    }

    // Settings and display list files that are symbolic links: each write replaces the link's
    // final target (a new file renamed over it, so a new inode) and leaves the link as it was.
    void symbolicLinksStayLinks_data()
    {
        QTest::addColumn<QString>("linkText");  // "@": the test directory; "hop": a link to a link
        QTest::addColumn<bool>("targetExists");  // "deep": a link to the directory store/deep
        QTest::newRow("relative, other directory") << "store/real" << true;
        QTest::newRow("\"..\" after a directory link") << "deep/../real" << true;
        QTest::newRow("absolute") << "@/store/real" << true;
        QTest::newRow("through a second link") << "hop" << true;
        QTest::newRow("target not there yet") << "store/real" << false;
    }
    void symbolicLinksStayLinks()
    {
        QFETCH(QString, linkText);
        QFETCH(bool, targetExists);
        QVERIFY(QDir(t->dir.path()).mkpath(QStringLiteral("store/deep")));
        QVERIFY(QFile::link(QStringLiteral("store/deep"), t->path(QStringLiteral("deep"))));
        const QString names[] = {Ini, DisplayListFileName};
        ino_t inodes[2] = {};
        for (int i = 0; i < 2; ++i) {
            const QString real = QStringLiteral("store/real") + QString::number(i);
            const QString text = QString(linkText).replace(u'@', t->dir.path()) + QString::number(i);
            t->writeFile(real + QStringLiteral(".new-Ab3xY9"), "left by a killed write");
            if (targetExists) {
                t->writeFile(real, i == 0 ? completeFile() : QByteArray("\x01\x00\x02\x00" "11", 6));
                inodes[i] = statOf(t->path(real)).st_ino;
            }
            QVERIFY(linkText != QStringLiteral("hop") || QFile::link(real, t->path(text)));
            QVERIFY(QFile::link(text, t->path(names[i])));
        }
        t->s.TcpIpMode = true;
        t->s.OutputControlled = 20;
        t->s.DisplayList = QStringLiteral("0101");
        QVERIFY2(WriteSettings(t->panel), qPrintable(t->logLines().join(u'|')));

        for (int i = 0; i < 2; ++i) {
            QVERIFY(QFileInfo(t->path(names[i])).isSymLink());
            QVERIFY(statOf(t->path(QStringLiteral("store/real") + QString::number(i))).st_ino != inodes[i]);
        }
        QCOMPARE(IniFile::parse(t->readFile(QStringLiteral("store/real0"))).value("CONFIG", "Output"), QByteArray("21"));
        QCOMPARE(t->readFile(QStringLiteral("store/real1")).left(8), QByteArray("\x01\x00\x04\x00" "0101", 8));
        // Leftovers beside the targets are gone, and nothing was made beside the links.
        QCOMPARE(QDir(t->path(QStringLiteral("store"))).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks),
                 (QStringList{QStringLiteral("real0"), QStringLiteral("real1")}));
        QCOMPARE(QDir(t->dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks), QStringList());
    }

    // The settings file holds passwords: a new one is its owner's only, whatever the umask; a
    // rewrite keeps the mode and (root hands the file to another owner first) owner and group.
    void modeAndOwner_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("existingMode");  // 0: no file yet
        QTest::addColumn<int>("expectedMode");
        QTest::newRow("new, umask 000") << 0 << 0 << 0600;
        QTest::newRow("new, umask 022") << 022 << 0 << 0600;
        QTest::newRow("new, umask 077") << 077 << 0 << 0600;
        QTest::newRow("rewrite keeps 0640") << 022 << 0640 << 0640;
        QTest::newRow("rewrite keeps 0604 under umask 077") << 077 << 0604 << 0604;
    }
    void modeAndOwner()
    {
        QFETCH(int, mask);
        QFETCH(int, existingMode);
        QFETCH(int, expectedMode);
        const QByteArray path = QFile::encodeName(t->path(Ini));
        const bool chown = existingMode != 0 && ::geteuid() == 0;
        if (existingMode != 0) {
            t->writeFile(Ini, completeFile());
            QCOMPARE(::chmod(path.constData(), existingMode), 0);
            QVERIFY(!chown || ::chown(path.constData(), 4321, 4322) == 0);
        }
        t->s.TcpIpMode = true;
        const mode_t old = ::umask(mask);
        const bool written = WriteSettings(t->panel);
        ::umask(old);
        QVERIFY(written);
        const struct stat st = statOf(t->path(Ini));
        QCOMPARE(int(st.st_mode & 07777), expectedMode);
        QVERIFY(!chown || (st.st_uid == 4321 && st.st_gid == 4322));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("blanks before") << QByteArray("  7x") << 7.0;
        QTest::newRow("sign and fraction") << QByteArray("-2.5kg") << -2.5;
        QTest::newRow("exponent") << QByteArray("1e3") << 1000.0;
        QTest::newRow("bare e is not an exponent") << QByteArray("3e") << 3.0;
        QTest::newRow("none") << QByteArray("x1") << 0.0;
        QTest::newRow("sign only") << QByteArray("-") << 0.0;
        QTest::newRow("dot only") << QByteArray(".") << 0.0;
        QTest::newRow("empty") << QByteArray() << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QCOMPARE(SettingsText::leadingNumber(text), expected);
    }

private:
    std::unique_ptr<TestPanel> t;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
