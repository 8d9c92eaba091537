#include "support/Fakes.h"

#include "storage/ErrorLog.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

class TestErrorLog final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() { t = std::make_unique<TestPanel>(); }
    void cleanup() { t.reset(); }

    void firstFailureCreatesHeaderAndLine()
    {
        LogError(t->s, t->clock, QStringLiteral("Ini File not found"), QStringLiteral("File Error"),
                 {53, QStringLiteral("File not found")});
        const QByteArray bytes = t->readFile(ErrorLogFileName);
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 13);  // eleven header lines, one log line, the empty rest after the last LF
        for (int i = 0; i < 12; ++i)
            QVERIFY2(lines[i].endsWith('\r'), qPrintable(QString::number(i)));
        QCOMPARE(lines[0].size() - 1, 50);
        QVERIFY(lines[0].startsWith(QByteArray(13, ' ')) && lines[0][13] != ' ');
        QCOMPARE(lines[1], QByteArray("\r"));
        QVERIFY(lines[2].startsWith(QByteArray(19, ' ')) && lines[2][19] != ' ');
        QCOMPARE(lines[7], QByteArray("ZEB Server Module Software Error Logfile\r"));
        QCOMPARE(lines[9], QByteArray(" DATE     TIME           MESSAGE DESCRIPTION\r"));
        QCOMPARE(lines[10], QByteArray(80, '-') + '\r');

        const QByteArray line = lines[11].chopped(1);
        QVERIFY2(line.startsWith("10/23/09 3:45:12\xe2\x80\xafPM") || line.startsWith("10/23/09 3:45:12 PM"), line.constData());
        QCOMPARE(line.mid(24, 36), QByteArray("File Error").leftJustified(36, ' '));
        QCOMPARE(line.mid(60), QByteArray("Ini File not found: Error # 53 - File not found"));
    }

    void columns_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("textColumn");
        QTest::newRow("short title padded to column 60") << QStringLiteral("Channel Error") << 60;
        QTest::newRow("title of 35 characters") << QString(35, QLatin1Char('T')) << 60;
        QTest::newRow("title of 36 characters is not padded") << QString(36, QLatin1Char('T')) << 60;
        QTest::newRow("longer title pushes the text right") << QString(40, QLatin1Char('T')) << 64;
        QTest::newRow("empty title") << QString() << 60;
    }
    void columns()
    {
        QFETCH(QString, title);
        QFETCH(int, textColumn);
        const QString line = ErrorLogLine(t->clock.time, QStringLiteral("message"), title);
        QCOMPARE(line.mid(24, title.size()), title);
        QCOMPARE(line.indexOf(QStringLiteral("message")), textColumn);
    }

    void fullLogIsRotated_data()
    {
        QTest::addColumn<bool>("archive");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("rotated");
        QTest::newRow("at the limit, archived") << true << 1024000 << true;
        QTest::newRow("at the limit, not archived") << false << 1024000 << true;
        QTest::newRow("one byte below the limit") << true << 1023999 << false;
    }
    void fullLogIsRotated()
    {
        QFETCH(bool, archive);
        QFETCH(int, size);
        QFETCH(bool, rotated);
        t->s.ErrorLogArchive = archive;
        const QByteArray full(size, 'x');
        t->writeFile(ErrorLogFileName, full);
        t->clock.time = QDateTime(QDate(2009, 10, 23), QTime(15, 45, 59));

        WriteErrorLine(t->s, t->clock, QStringLiteral("Error opening file"), QStringLiteral("File Error"));

        const QString copy = QStringLiteral("Errorlog 102309 1545.txt");
        QCOMPARE(QFileInfo::exists(t->path(copy)), rotated && archive);
        if (rotated && archive)
            QCOMPARE(t->readFile(copy), full);
        const QStringList lines = t->logLines();
        if (rotated) {
            QCOMPARE(lines.size(), 1);
            QVERIFY(lines[0].endsWith(QStringLiteral("Error opening file")));
        } else {
            QCOMPARE(t->readFile(ErrorLogFileName).size(), size + ErrorLogLine(t->clock.time, QStringLiteral("Error opening file"), QStringLiteral("File Error")).size() + 2);
        }
    }

    void rotationReplacesCopyOfTheSameMinute()
    {
        t->s.ErrorLogMaxKB = 1;
        t->writeFile(QStringLiteral("Errorlog 102309 1545.txt"), "older copy");
        t->writeFile(ErrorLogFileName, QByteArray(1024, 'y'));
        WriteErrorLine(t->s, t->clock, QStringLiteral("m"), QStringLiteral("t"));
        QCOMPARE(t->readFile(QStringLiteral("Errorlog 102309 1545.txt")), QByteArray(1024, 'y'));
    }

    void noLimitNeverRotates()
    {
        t->s.ErrorLogMaxKB = 0;
        t->writeFile(ErrorLogFileName, QByteArray(2048, 'z'));
        WriteErrorLine(t->s, t->clock, QStringLiteral("m"), QStringLiteral("t"));
        QVERIFY(t->readFile(ErrorLogFileName).startsWith(QByteArray(2048, 'z')));
    }

    void disabledLogWritesNothing()
    {
        t->s.ErrorLogEnabled = false;
        t->s.ErrorLogMaxKB = 1;
        t->writeFile(ErrorLogFileName, QByteArray(4096, 'x'));
        LogError(t->s, t->clock, QStringLiteral("m"), QStringLiteral("t"), {1, QStringLiteral("d")});
        QCOMPARE(t->readFile(ErrorLogFileName), QByteArray(4096, 'x'));
        QCOMPARE(QDir(t->dir.path()).entryList(QDir::Files).size(), 1);
    }

    // A log that cannot be created reports once and ends there, leaving the caller to go on.
    void unwritableLogEndsQuietly()
    {
        t->s.AppDir = t->dir.path() + QStringLiteral("/missing/dir/");
        LogError(t->s, t->clock, QStringLiteral("m"), QStringLiteral("t"), {1, QStringLiteral("d")});
        QVERIFY(!t->s.ErrorLogReporting);
        QVERIFY(!QFileInfo::exists(t->s.AppDir + ErrorLogFileName));
    }

    void archiveName()
    {
        QCOMPARE(ErrorLogArchiveName(QDateTime(QDate(2009, 10, 23), QTime(15, 45))), QStringLiteral("Errorlog 102309 1545.txt"));
        QCOMPARE(ErrorLogArchiveName(QDateTime(QDate(2031, 1, 2), QTime(3, 4))), QStringLiteral("Errorlog 010231 0304.txt"));
    }

private:
    std::unique_ptr<TestPanel> t;
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
