#include "support/Fakes.h"

#include "storage/DisplayListFile.h"
#include "storage/ErrorLog.h"

#include <QFile>

class TestDisplayListFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A list saved over the file as it stands ("dir": a directory in its place, "ro": read-only),
    // then loaded back into a list "keep": the file's bytes and the list (empty: refused).
    void saveAndLoad_data()
    {
        Columns<QByteArray, QString, QByteArray, QString>("before", "saved", "after", "loaded");  // saved: none when empty
        QTest::newRow("no file keeps the list") << QByteArray() << "" << QByteArray() << "keep";
        QTest::newRow("three sources") << QByteArray() << "101" << QByteArray("\x01\x00\x03\x00" "101", 7) << "101";
        QTest::newRow("shorter list keeps the tail") << QByteArray("\x01\x00\x03\x00" "011", 7) << "1" << QByteArray("\x01\x00\x01\x00" "111", 7) << "1";
        QTest::newRow("length above 255") << QByteArray() << QString(300, u'1') << QByteArray("\x01\x00\x2c\x01", 4) + QByteArray(300, '1') << QString(300, u'1');
        QTest::newRow("read-only file replaced") << QByteArray("ro") << "11" << QByteArray("\x01\x00\x02\x00" "11", 6) << "11";
        QTest::newRow("negative length") << QByteArray("\x01\x00\xff\xff" "1", 5) << "" << QByteArray("\x01\x00\xff\xff" "1", 5) << "";
        QTest::newRow("shorter than its length") << QByteArray("\x01\x00\x05\x00" "11", 6) << "" << QByteArray("\x01\x00\x05\x00" "11", 6) << "";
        QTest::newRow("shorter than its header") << QByteArray("\x01\x00\x05", 3) << "" << QByteArray("\x01\x00\x05", 3) << "";
        QTest::newRow("unwritable: logged") << QByteArray("dir") << "1" << QByteArray() << "";
    }
    void saveAndLoad()
    {
        auto [before, saved, after, loaded] = Fetch<QByteArray, QString, QByteArray, QString>("before", "saved", "after", "loaded");
        TestPanel t;
        if (before == "dir")
            QDir(t.dir.path()).mkdir(DisplayListFileName);
        else if (!before.isEmpty())
            t.writeFile(DisplayListFileName, before == "ro" ? QByteArray("\x01\x00\x01\x00" "0", 5) : before);
        QFile::setPermissions(t.path(DisplayListFileName), before == "ro" ? QFileDevice::ReadOwner : QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        t.s.DisplayList = saved;
        if (!saved.isEmpty())
            SaveDisplayList(t.s, t.clock);
        QCOMPARE(t.readFile(DisplayListFileName), after);
        t.s.DisplayList = QStringLiteral("keep");
        Failure f;
        QCOMPARE(LoadDisplayList(t.s, &f), !loaded.isEmpty());
        QCOMPARE(t.s.DisplayList, loaded.isEmpty() ? QStringLiteral("keep") : loaded);
        QCOMPARE(t.logLines().join(u'|').mid(60, 35), before == "dir" ? QStringLiteral("Error saving display List: Error # ") : QString());
    }
};

QTEST_GUILESS_MAIN(TestDisplayListFile)
#include "tst_displaylistfile.moc"
