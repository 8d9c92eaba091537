#include "support/Fakes.h"

#include "storage/DisplayListFile.h"
#include "storage/ErrorLog.h"

#include <QFile>
#include <QTest>

class TestDisplayListFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { t = std::make_unique<TestPanel>(); }
    void cleanup() { t.reset(); }

    void layout_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("previous");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty list") << QString() << QByteArray() << QByteArray("\x01\x00\x00\x00", 4);
        QTest::newRow("three sources") << QStringLiteral("101") << QByteArray() << QByteArray("\x01\x00\x03\x00" "101", 7);
        QTest::newRow("shorter list keeps the tail")
            << QStringLiteral("1") << QByteArray("\x01\x00\x03\x00" "011", 7) << QByteArray("\x01\x00\x01\x00" "111", 7);
        QTest::newRow("length above 255") << QString(300, QLatin1Char('0')) << QByteArray()
                                          << QByteArray("\x01\x00\x2c\x01", 4) + QByteArray(300, '0');
    }
    void layout()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, previous);
        QFETCH(QByteArray, bytes);
        QCOMPARE(DisplayListBytes(list, previous), bytes);
    }

    void saveOverOlderFiles()
    {
        t->s.DisplayList = QString(256, QLatin1Char('1'));
        SaveDisplayList(t->s, t->clock);
        QCOMPARE(t->readFile(DisplayListFileName).size(), 260);

        t->s.DisplayList = QString(300, QLatin1Char('0'));
        SaveDisplayList(t->s, t->clock);
        QCOMPARE(t->readFile(DisplayListFileName).size(), 304);

        t->s.DisplayList = QStringLiteral("1010101010");
        SaveDisplayList(t->s, t->clock);
        const QByteArray bytes = t->readFile(DisplayListFileName);
        QCOMPARE(bytes.size(), 304);
        QCOMPARE(bytes.left(14), QByteArray("\x01\x00\x0a\x00" "1010101010", 14));

        t->s.DisplayList.clear();
        Failure f;
        QVERIFY(LoadDisplayList(t->s, &f));
        QCOMPARE(t->s.DisplayList, QStringLiteral("1010101010"));
    }

    void readOnlyFileIsReplaced()
    {
        t->writeFile(DisplayListFileName, QByteArray("\x01\x00\x01\x00" "0", 5));
        QFile::setPermissions(t->path(DisplayListFileName), QFileDevice::ReadOwner);
        t->s.DisplayList = QStringLiteral("11");
        SaveDisplayList(t->s, t->clock);
        QCOMPARE(t->readFile(DisplayListFileName), QByteArray("\x01\x00\x02\x00" "11", 6));
    }

    void malformedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("negative length") << QByteArray("\x01\x00\xff\xff" "1", 5);
        QTest::newRow("shorter than its length") << QByteArray("\x01\x00\x05\x00" "11", 6);
        QTest::newRow("shorter than its header") << QByteArray("\x01\x00\x05", 3);
    }
    void malformedFiles()
    {
        QFETCH(QByteArray, bytes);
        t->writeFile(DisplayListFileName, bytes);
        t->s.DisplayList = QStringLiteral("keep");
        Failure f;
        QVERIFY(!LoadDisplayList(t->s, &f));
        QVERIFY(!f.description.isEmpty());
        QCOMPARE(t->s.DisplayList, QStringLiteral("keep"));
    }

    void missingFileKeepsList()
    {
        t->s.DisplayList = QStringLiteral("0011");
        Failure f;
        QVERIFY(LoadDisplayList(t->s, &f));
        QCOMPARE(t->s.DisplayList, QStringLiteral("0011"));
    }

    void unwritableDirectoryIsLogged()
    {
        QDir(t->dir.path()).mkdir(DisplayListFileName);  // a directory where the file belongs
        t->s.DisplayList = QStringLiteral("1");
        SaveDisplayList(t->s, t->clock);
        const QStringList log = t->logLines();
        QCOMPARE(log.size(), 1);
        QVERIFY(log[0].mid(60).startsWith(QStringLiteral("Error saving display List: Error # ")));
    }

private:
    std::unique_ptr<TestPanel> t;
};

QTEST_GUILESS_MAIN(TestDisplayListFile)
#include "tst_displaylistfile.moc"
