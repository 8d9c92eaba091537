#include "support/Fakes.h"

#include "storage/ErrorLog.h"

#include <QFileInfo>
#include <QLocale>

class TestErrorLog final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The first failure writes the eleven header lines, then its own: the title at column 24,
    // the text at 60; every line ends in CR LF.
    void lines()
    {
        TestPanel t;
        LogError(t.s, t.clock, QStringLiteral("Ini File not found"), QStringLiteral("File Error"), {53, QStringLiteral("File not found")});
        const QByteArray log = t.readFile(ErrorLogFileName);
        QVERIFY(log.count("\r\n") == 12 && log.count('\n') == 12 && log.endsWith("\r\n"));
        const QList<QByteArray> lines = log.split('\n');
        QCOMPARE(lines[11].mid(24), QByteArray("File Error").leftJustified(36, ' ') + "Ini File not found: Error # 53 - File not found\r");
        QCOMPARE(ErrorLogArchiveName(QDateTime(QDate(2031, 1, 2), QTime(3, 4))), QStringLiteral("Errorlog 010231 0304.txt"));
        // A log that cannot be created reports once and ends there, leaving the caller to go on.
        t.s.AppDir = t.dir.path() + QStringLiteral("/missing/dir/");
        LogError(t.s, t.clock, QStringLiteral("m"), QStringLiteral("t"), {1, QStringLiteral("d")});
        QVERIFY(!t.s.ErrorLogReporting && !QFileInfo::exists(t.s.AppDir + ErrorLogFileName));
    }

    // A log at its size limit is moved aside before the next line; without a limit it grows.
    void rotation_data()
    {
        Columns<int, int, bool>("maxKB", "size", "rotated");
        QTest::newRow("at the limit, archived") << 1000 << 1024000 << true;
        QTest::newRow("one byte below the limit") << 1000 << 1023999 << false;
        QTest::newRow("no limit never rotates") << 0 << 2048 << false;
    }
    void rotation()
    {
        auto [maxKB, size, rotated] = Fetch<int, int, bool>("maxKB", "size", "rotated");
        TestPanel t;
        t.s.ErrorLogMaxKB = maxKB;
        const QByteArray full(size, 'x');
        t.writeFile(ErrorLogFileName, full);
        const QString copy = QStringLiteral("Errorlog 102309 1545.txt");
        t.clock.time = QDateTime(QDate(2009, 10, 23), QTime(15, 45, 59));
        WriteErrorLine(t.s, t.clock, QStringLiteral("Error opening file"), QStringLiteral("File Error"));
        const QByteArray line = ErrorLogLine(t.clock.time, QStringLiteral("Error opening file"), QStringLiteral("File Error")).toLatin1() + "\r\n";
        QCOMPARE(t.readFile(copy), rotated ? full : QByteArray());
        if (rotated)
            QCOMPARE(t.logLines(), QStringList{QString::fromLatin1(line.chopped(2))});
        else
            QCOMPARE(t.readFile(ErrorLogFileName), full + line);
    }
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
