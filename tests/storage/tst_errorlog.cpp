#include "support/Fakes.h"

#include "storage/ErrorLog.h"

#include <QFileInfo>
#include <QLocale>

class TestErrorLog final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The first failure writes the eleven header lines, then its own: the title at column 24,
    // the text at 60 (or a blank after a longer title); every line ends in CR LF.
    void lines()
    {
        TestPanel t;
        LogError(t.s, t.clock, QStringLiteral("Ini File not found"), QStringLiteral("File Error"), {53, QStringLiteral("File not found")});
        const QByteArray log = t.readFile(ErrorLogFileName);
        QVERIFY(log.count("\r\n") == 12 && log.count('\n') == 12 && log.endsWith("\r\n"));
        const QList<QByteArray> lines = log.split('\n');
        QVERIFY(lines[0].startsWith(QByteArray(13, ' ')) && lines[7] == "ZEB Server Module Software Error Logfile\r");
        QVERIFY(lines[9] == " DATE     TIME           MESSAGE DESCRIPTION\r" && lines[10] == QByteArray(80, '-') + '\r');
        QVERIFY2(lines[11].startsWith("10/23/09 3:45:12\xe2\x80\xafPM") || lines[11].startsWith("10/23/09 3:45:12 PM"), lines[11].constData());
        QCOMPARE(lines[11].mid(24), QByteArray("File Error").leftJustified(36, ' ') + "Ini File not found: Error # 53 - File not found\r");
        for (const int length : {35, 36, 40}) {
            const QString line = ErrorLogLine(t.clock.time, QStringLiteral("message"), QString(length, u'T'));
            QVERIFY(line.mid(24, length) == QString(length, u'T') && line.indexOf(QStringLiteral("message")) == (length > 36 ? 64 : 60));
        }
        QCOMPARE(ErrorLogArchiveName(QDateTime(QDate(2031, 1, 2), QTime(3, 4))), QStringLiteral("Errorlog 010231 0304.txt"));
        // A log that cannot be created reports once and ends there, leaving the caller to go on.
        t.s.AppDir = t.dir.path() + QStringLiteral("/missing/dir/");
        LogError(t.s, t.clock, QStringLiteral("m"), QStringLiteral("t"), {1, QStringLiteral("d")});
        QVERIFY(!t.s.ErrorLogReporting && !QFileInfo::exists(t.s.AppDir + ErrorLogFileName));
    }

    // A log at its size limit is moved aside (or, not archived, dropped) before the next line.
    void rotation_data()
    {
        Columns<int, QString, int, bool>("maxKB", "setup", "size", "rotated");  // setup: "unarchived", "disabled", "older copy" of the same minute
        QTest::newRow("at the limit, archived") << 1000 << "" << 1024000 << true;
        QTest::newRow("at the limit, not archived") << 1000 << "unarchived" << 1024000 << true;
        QTest::newRow("one byte below the limit") << 1000 << "" << 1023999 << false;
        QTest::newRow("copy of the same minute replaced") << 1 << "older copy" << 1024 << true;
        QTest::newRow("no limit never rotates") << 0 << "" << 2048 << false;
        QTest::newRow("disabled writes nothing") << 1 << "disabled" << 4096 << false;
    }
    void rotation()
    {
        auto [maxKB, setup, size, rotated] = Fetch<int, QString, int, bool>("maxKB", "setup", "size", "rotated");
        TestPanel t;
        std::tie(t.s.ErrorLogMaxKB, t.s.ErrorLogArchive, t.s.ErrorLogEnabled) = std::tuple(maxKB, setup != u"unarchived", setup != u"disabled");
        const QByteArray full(size, 'x');
        t.writeFile(ErrorLogFileName, full);
        const QString copy = QStringLiteral("Errorlog 102309 1545.txt");
        if (setup == u"older copy")
            t.writeFile(copy, "older copy");
        t.clock.time = QDateTime(QDate(2009, 10, 23), QTime(15, 45, 59));
        WriteErrorLine(t.s, t.clock, QStringLiteral("Error opening file"), QStringLiteral("File Error"));
        const QByteArray line = ErrorLogLine(t.clock.time, QStringLiteral("Error opening file"), QStringLiteral("File Error")).toLatin1() + "\r\n";
        QCOMPARE(t.readFile(copy), rotated && t.s.ErrorLogArchive ? full : setup == u"older copy" ? QByteArray("older copy") : QByteArray());
        if (rotated)
            QCOMPARE(t.logLines(), QStringList{QString::fromLatin1(line.chopped(2))});
        else
            QCOMPARE(t.readFile(ErrorLogFileName), t.s.ErrorLogEnabled ? full + line : full);
    }

};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
