#include "storage/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QByteArray>("key");  // section|key
        QTest::addColumn<QByteArray>("expected");
        const QByteArray file = "; settings\r\n[CONFIG]\r\nOutput=5\r\n Hide Inhibits =Yes\r\n[tcp/ip]\r\nIP Password= \x7f\xff=x\r\nEmpty=\r\n";
        QTest::newRow("plain") << file << QByteArray("CONFIG|Output") << QByteArray("5");
        QTest::newRow("names ignore case") << file << QByteArray("config|OUTPUT") << QByteArray("5");
        QTest::newRow("key name trimmed") << file << QByteArray("CONFIG|Hide Inhibits") << QByteArray("Yes");
        QTest::newRow("value byte-exact") << file << QByteArray("TCP/IP|IP Password") << QByteArray(" \x7f\xff=x");
        QTest::newRow("empty value") << file << QByteArray("TCP/IP|Empty") << QByteArray();
        QTest::newRow("absent key") << file << QByteArray("CONFIG|Nope") << QByteArray();
        QTest::newRow("key of another section") << file << QByteArray("TCP/IP|Output") << QByteArray();
        QTest::newRow("comment is not a key") << QByteArray("[A]\n;x=1\n") << QByteArray("A|;x") << QByteArray();
        QTest::newRow("LF, no final line end") << QByteArray("[A]\nk=v") << QByteArray("A|k") << QByteArray("v");
        QTest::newRow("stray CR before LF") << QByteArray("[A]\nk=v\r\r\n") << QByteArray("A|k") << QByteArray("v");
        QTest::newRow("first of duplicates") << QByteArray("[A]\nk=1\nk=2\n") << QByteArray("A|k") << QByteArray("1");
    }
    void lookup()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QByteArray, key);
        QTEST(IniFile::parse(contents).value(key.split('|')[0], key.split('|')[1]), "expected");
    }

    // Setting a key changes its line only (a new key or section goes where a person would put
    // it, with the file's line ends); a value with a line break is refused and changes nothing.
    void set_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("set");  // section|key|value
        QTest::addColumn<QByteArray>("after");  // empty: refused
        QTest::newRow("in place, own spelling kept") << QByteArray("; top\r\n[config]\r\nOUTPUT=5\r\nOther=x\r\n") << QByteArray("CONFIG|Output|7")
                                                     << QByteArray("; top\r\n[config]\r\nOUTPUT=7\r\nOther=x\r\n");
        QTest::newRow("new key at the section's end") << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n") << QByteArray("a|n|v")
                                                      << QByteArray("[A]\r\na=1\r\nn=v\r\n\r\n[B]\r\nb=2\r\n");
        QTest::newRow("new section after a blank line") << QByteArray("[A]\na=1\n") << QByteArray("TCP/IP|IP Port|1250")
                                                        << QByteArray("[A]\na=1\n\n[TCP/IP]\nIP Port=1250\n");
        QTest::newRow("empty document") << QByteArray() << QByteArray("CONFIG|Output|1") << QByteArray("[CONFIG]\r\nOutput=1\r\n");
        QTest::newRow("high bytes kept") << QByteArray("[S]\r\nPassword=\r\n") << QByteArray("S|Password|\x01\xfe\xff")
                                         << QByteArray("[S]\r\nPassword=\x01\xfe\xff\r\n");
        QTest::newRow("LF in value") << QByteArray("[A]\r\nk=1\r\n") << QByteArray("A|k|x\ny") << QByteArray();
        QTest::newRow("CR in value") << QByteArray("[A]\r\nk=1\r\n") << QByteArray("A|k|x\r") << QByteArray();
    }
    void set()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, set);
        QFETCH(QByteArray, after);
        const QList<QByteArray> s = set.split('|');
        IniFile ini = IniFile::parse(before);
        QCOMPARE(ini.setValue(s[0], s[1], s[2]), !after.isEmpty());
        QCOMPARE(ini.toBytes(), after.isEmpty() ? before : after);
        QCOMPARE(IniFile::parse(ini.toBytes()).value(s[0], s[1]), after.isEmpty() ? QByteArray("1") : s[2]);
    }

    // A missing file loads as an empty document; a save leaves nothing but the file; a file
    // beyond the size limit is refused.
    void loadAndSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.ini"));
        IniFile ini;
        QVERIFY(IniFile::load(path, ini) && ini.toBytes().isEmpty() && ini.setValue("A", "k", "v") && ini.save(path));
        QVERIFY(IniFile::load(path, ini) && ini.value("a", "K") == "v");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("x.ini")});
        QFile f(path);
        QString why;
        QVERIFY(f.resize(IniFile::MaxFileSize + 1) && !IniFile::load(path, ini, &why) && !why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
