#include "support/Fakes.h"

#include "storage/DisplayListFile.h"
#include "storage/IniFile.h"
#include "storage/Settings.h"

#include <QFileInfo>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString Ini = QStringLiteral("zebntpnl.ini");

// A complete settings file with one key changed ("SECTION|Key|value"); an edit starting with
// "[" or ";" is a whole file of its own.
QByteArray settingsFile(const QByteArray& edit = {})
{
    if (edit.startsWith('[') || edit.startsWith(';'))
        return edit;
    IniFile ini = IniFile::parse("[CONFIG]\r\nOutput=5\r\nTCP/IP Mode=Yes\r\nHide Inhibits=Yes\r\nDisplay List=1101\r\nStay On Top=Yes\r\n"
                                 "[FILE]\r\nServer path=/srv/zeb\r\nRefresh Rate=250\r\nTime Out=20\r\n[TCP/IP]\r\nIP Port=1250\r\n"
                                 "IP Address=10.1.2.3\r\nPoll Rate=2\r\nTime Out=30\r\nIP Password=bdf\r\n[SECURITY]\r\nUser Name=op\r\nPassword=bdf\r\n");
    const QList<QByteArray> parts = edit.split('|');
    if (parts.size() == 3)
        ini.setValue(parts[0], parts[1], parts[2]);
    return ini.toBytes();
}

struct Settings : TestPanel {
    Settings() { InitVariables(s, server); }
    // Everything ReadSettings sets, then the poll timer's interval and the window order.
    QStringList settings() const
    {
        return {QString::number(s.OutputControlled), QString::number(s.TcpIpMode), QString::number(s.HideInhibits), s.DisplayList,
                QString::number(s.StayOnTop), s.ServerPath, QString::number(s.RefreshRate), QString::number(s.FileTimeOut),
                QString::number(s.FileTimeOutTicks), QString::number(s.IpPort), s.IpAddress, QString::number(s.PollRate),
                QString::number(s.IpTimeOut), s.IpPassword, s.UserName, s.UserPassword, QString::number(server.pollInterval),
                QString::number(view.windowOrder)};
    }
    QByteArray stored(const QByteArray& section, const QByteArray& key, const QString& file = Ini) const
    {
        return IniFile::parse(readFile(file)).value(section, key);
    }
    bool lastLogged(const QString& text) const { return logLines().value(logLines().size() - 1).mid(60).startsWith(text); }
};

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

class TestSettings final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What a file reads as: every setting (field -1) or the one a row looks at. A read that fails
    // stops at the failing key, logged: earlier keys hold their new values, later ones (PollRate,
    // field 11) their start-up values, and the window order is not applied.
    void read_data()
    {
        Columns<QByteArray, int, QString>("edit", "field", "expected");
        QTest::newRow("complete file, TCP/IP") << QByteArray() << -1 << "4|1|1|1101|-1|/srv/zeb|250|20|80|1250|10.1.2.3|2|30|abc|op|abc|2000|-1";
        QTest::newRow("empty texts, File mode") << QByteArray("[CONFIG]\r\n[FILE]\r\n[TCP/IP]\r\nIP Port=1250\r\n[SECURITY]\r\n") << -1
                                                << u"0|0|0|"_s + QString(256, u'1') + u"|-2||1|1|1000|1250||1|1||||1|-2"_s;
        QTest::newRow("Output leading number") << QByteArray("CONFIG|Output|12 studio") << 0 << "11";
        QTest::newRow("Output rounds") << QByteArray("CONFIG|Output|7.6") << 0 << "7";
        QTest::newRow("Output after blanks") << QByteArray("CONFIG|Output| \t12") << 0 << "11";
        QTest::newRow("Output with an exponent") << QByteArray("CONFIG|Output|1e1x") << 0 << "9";
        QTest::newRow("Refresh Rate 40000") << QByteArray("FILE|Refresh Rate|40000") << 6 << "32500";
        QTest::newRow("ticks follow the rate") << QByteArray("FILE|Refresh Rate|3") << 8 << "6667";
        QTest::newRow("Poll Rate 5000") << QByteArray("TCP/IP|Poll Rate|5000") << 11 << "3600";
        QTest::newRow("Poll Rate 1.6 rounds") << QByteArray("TCP/IP|Poll Rate|1.6") << 11 << "2";
        QTest::newRow("IP Time Out 3601") << QByteArray("TCP/IP|Time Out|3601") << 12 << "3600";
        QTest::newRow("non-numeric port") << QByteArray("TCP/IP|IP Port|12a") << 11
                                          << "1|File Error|Error reading ini File: Error # ";
    }
    void read()
    {
        auto [edit, field, expected] = Fetch<QByteArray, int, QString>("edit", "field", "expected");
        Settings t;
        t.writeFile(Ini, settingsFile(edit));
        const bool failing = expected.contains(u"Error #");
        QCOMPARE(ReadSettings(t.panel), !failing);
        const QString seen = field < 0 ? t.settings().join(u'|') : t.settings().at(field), log = t.logLines().join(u'|');
        QCOMPARE(failing ? seen + u'|' + log.mid(24, 10) + u'|' + log.mid(60, 32) : seen + log, expected);
        QVERIFY(t.logLines().size() == int(failing) && (!failing || (t.s.UserName.isEmpty() && t.view.windowOrderLog.isEmpty())));
    }

    // A stored text stays when it reads as the setting ("Output" by its leading number minus 1 as
    // it stands, the other numbers rounded); unknown keys, sections and comments stay in place.
    void rewrite_data()
    {
        Columns<QByteArray, QByteArray, QByteArray>("edit", "key", "written");
        QTest::newRow("Output with a name") << QByteArray("CONFIG|Output|5 (studio)") << QByteArray("CONFIG|Output") << QByteArray("5 (studio)");
        QTest::newRow("Output 3.6 controls 4") << QByteArray("CONFIG|Output|3.6") << QByteArray("CONFIG|Output") << QByteArray("4");
        QTest::newRow("Refresh Rate 250.2") << QByteArray("FILE|Refresh Rate|250.2") << QByteArray("FILE|Refresh Rate") << QByteArray("250.2");
        QTest::newRow("passwords kept") << QByteArray() << QByteArray("SECURITY|Password") << QByteArray("bdf");
        QTest::newRow("Stay On Top") << QByteArray() << QByteArray("CONFIG|Stay On Top") << QByteArray("Yes");
        // A key of the panel's own: absent means "No" and is not added; only "Yes" turns it on.
        QTest::newRow("Auto Reconnect absent") << QByteArray() << QByteArray("TCP/IP|Auto Reconnect") << QByteArray();
        QTest::newRow("Auto Reconnect Yes") << QByteArray("TCP/IP|Auto Reconnect|Yes") << QByteArray("TCP/IP|Auto Reconnect") << QByteArray("Yes");
        QTest::newRow("unknown lines") << QByteArray("; installer\r\n[CONFIG]\r\nOutput=1\r\nLanguage=fr\r\n[Vendor]\r\nLicence=XYZ-1\r\n")
                                       << QByteArray("Vendor|Licence") << QByteArray("XYZ-1");
    }
    void rewrite()
    {
        auto [edit, key, written] = Fetch<QByteArray, QByteArray, QByteArray>("edit", "key", "written");
        Settings t;
        t.writeFile(Ini, settingsFile(edit));
        QVERIFY(ReadSettings(t.panel) || edit.startsWith(';'));
        t.s.TcpIpMode = true;
        QVERIFY(WriteSettings(t.panel));
        QCOMPARE(t.stored(key.split('|')[0], key.split('|')[1]), written);
        QVERIFY(!edit.startsWith(';') || t.readFile(Ini).startsWith("; installer\r\n[CONFIG]\r\nOutput=1\r\nLanguage=fr\r\nTCP/IP Mode=Yes\r\n"));
        // A second write finds nothing to change: the file is not even rewritten.
        const QDateTime past = QFileInfo(t.path(Ini)).lastModified().addSecs(-10);
        QFile f(t.path(Ini));
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(past, QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(WriteSettings(t.panel) && QFileInfo(t.path(Ini)).lastModified() == past);
    }

    // A password that cannot be stored is a logged failure; the keys before it are still written.
    // Each letter is stored shifted by its position: 0xFE first is the highest that can be.
    void writeFailures()
    {
        Settings t;
        std::tie(t.s.ServerPath, t.s.UserName, t.s.UserPassword) = std::tuple(QStringLiteral("/srv"), QStringLiteral("op"), QString::fromLatin1("\xff"));
        t.s.IpPassword = QString::fromLatin1("\xfe");
        QVERIFY(!WriteSettings(t.panel));
        QCOMPARE(t.stored("TCP/IP", "IP Password"), QByteArray("\xff"));
        QCOMPARE(t.stored("SECURITY", "User Name") + '/' + t.stored("SECURITY", "Password"), QByteArray("op/"));
        QVERIFY(t.lastLogged(QStringLiteral("Error writing ini file: Error # ")));
    }

    // Settings and display list files that are symbolic links: each write replaces the link's
    // final target (a new file renamed over it, so a new inode) and leaves the link as it was.
    // The temporary files a killed write left beside the targets go, and only those.
    void symbolicLinksStayLinks_data()
    {
        Columns<QString, bool>("linkText", "targetExists");  // "@": the test directory; "hop": a link to a link
        QTest::newRow("\"..\" after a directory link") << "deep/../real" << true;  // "deep": a link to store/deep
        QTest::newRow("absolute") << "@/store/real" << true;
        QTest::newRow("through a second link") << "hop" << true;
        QTest::newRow("target not there yet") << "store/real" << false;
    }
    void symbolicLinksStayLinks()
    {
        auto [linkText, targetExists] = Fetch<QString, bool>("linkText", "targetExists");
        Settings t;
        QVERIFY(QDir(t.dir.path()).mkpath(QStringLiteral("store/deep")));
        QVERIFY(QFile::link(QStringLiteral("store/deep"), t.path(QStringLiteral("deep"))));
        const QString names[] = {Ini, DisplayListFileName};
        ino_t inodes[2] = {};
        for (int i = 0; i < 2; ++i) {
            const QString real = QStringLiteral("store/real") + QString::number(i);
            const QString text = QString(linkText).replace(u'@', t.dir.path()) + QString::number(i);
            t.writeFile(real + QStringLiteral(".new-Ab3xY9"), "left by a killed write");
            t.writeFile(real + QStringLiteral(".new-toolong"), "kept");
            if (targetExists) {
                t.writeFile(real, i == 0 ? settingsFile() : QByteArray("\x01\x00\x02\x00" "11", 6));
                inodes[i] = statOf(t.path(real)).st_ino;
            }
            QVERIFY(linkText != QStringLiteral("hop") || QFile::link(real, t.path(text)));
            QVERIFY(QFile::link(text, t.path(names[i])));
        }
        std::tie(t.s.TcpIpMode, t.s.OutputControlled, t.s.DisplayList) = std::tuple(true, 20, QStringLiteral("0101"));
        QVERIFY2(WriteSettings(t.panel), qPrintable(t.logLines().join(u'|')));
        for (int i = 0; i < 2; ++i)
            QVERIFY(QFileInfo(t.path(names[i])).isSymLink() && statOf(t.path(QStringLiteral("store/real%1").arg(i))).st_ino != inodes[i]);
        QCOMPARE(t.stored("CONFIG", "Output", QStringLiteral("store/real0")), QByteArray("21"));
        QCOMPARE(t.readFile(QStringLiteral("store/real1")).left(8), QByteArray("\x01\x00\x04\x00" "0101", 8));
        // Nothing else was made, beside the targets or beside the links.
        QCOMPARE(QDir(t.path(QStringLiteral("store"))).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks),
                 Split(QStringLiteral("real0|real0.new-toolong|real1|real1.new-toolong")));
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks), QStringList());
    }

    // The settings file holds passwords: a new one is its owner's only; a rewrite keeps the mode,
    // a read-only file made writable for its owner first.
    void modeAndOwner_data()
    {
        Columns<int, int>("existingMode", "expectedMode");  // existingMode 0: no file yet
        QTest::newRow("new, umask 022") << 0 << 0600;
        QTest::newRow("read-only 0440 is rewritten") << 0440 << 0640;
    }
    void modeAndOwner()
    {
        auto [existingMode, expectedMode] = Fetch<int, int>("existingMode", "expectedMode");
        Settings t;
        if (existingMode != 0) {
            t.writeFile(Ini, settingsFile());
            QCOMPARE(::chmod(QFile::encodeName(t.path(Ini)).constData(), existingMode), 0);
        }
        t.s.TcpIpMode = true;
        const mode_t old = ::umask(022);
        const bool written = WriteSettings(t.panel);
        ::umask(old);
        QVERIFY(written && t.stored("CONFIG", "Output") == "1");
        QCOMPARE(int(statOf(t.path(Ini)).st_mode & 07777), expectedMode);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
