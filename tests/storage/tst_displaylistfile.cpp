#include "support/Fakes.h"

#include "storage/DisplayListFile.h"
#include "storage/ErrorLog.h"

class TestDisplayListFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A list saved over the file as it stands ("dir": a directory in its place), then loaded back
    // into a list "keep": the file's bytes and the list (empty: refused).
    void saveAndLoad_data()
    {
        Columns<QByteArray, QString, QByteArray, QString>("before", "saved", "after", "loaded");  // saved: none when empty
        QTest::newRow("shorter list keeps the tail") << QByteArray("\x01\x00\x03\x00" "011", 7) << "1" << QByteArray("\x01\x00\x01\x00" "111", 7) << "1";
        QTest::newRow("shorter than its length") << QByteArray("\x01\x00\x05\x00" "11", 6) << "" << QByteArray("\x01\x00\x05\x00" "11", 6) << "";
        QTest::newRow("unwritable: logged") << QByteArray("dir") << "1" << QByteArray() << "";
    }
    void saveAndLoad()
    {
        auto [before, saved, after, loaded] = Fetch<QByteArray, QString, QByteArray, QString>("before", "saved", "after", "loaded");
        TestPanel t;
        if (before == "dir")
            QDir(t.dir.path()).mkdir(DisplayListFileName);
        else
            t.writeFile(DisplayListFileName, before);
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
