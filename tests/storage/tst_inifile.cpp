#include "storage/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray file = "; settings\r\n[CONFIG]\r\nOutput=5\r\n Hide Inhibits =Yes\r\n"
                                "[tcp/ip]\r\nIP Password= \x7f\xff=x\r\nEmpty=\r\n";
        QTest::newRow("plain") << file << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("5");
        QTest::newRow("names ignore case") << file << QByteArray("config") << QByteArray("OUTPUT") << QByteArray("5");
        QTest::newRow("key name trimmed") << file << QByteArray("CONFIG") << QByteArray("Hide Inhibits") << QByteArray("Yes");
        QTest::newRow("value byte-exact") << file << QByteArray("TCP/IP") << QByteArray("IP Password") << QByteArray(" \x7f\xff=x");
        QTest::newRow("empty value") << file << QByteArray("TCP/IP") << QByteArray("Empty") << QByteArray();
        QTest::newRow("absent key") << file << QByteArray("CONFIG") << QByteArray("Nope") << QByteArray();
        QTest::newRow("absent section") << file << QByteArray("FILE") << QByteArray("Output") << QByteArray();
        QTest::newRow("key of another section") << file << QByteArray("TCP/IP") << QByteArray("Output") << QByteArray();
        QTest::newRow("comment is not a key") << QByteArray("[A]\n;x=1\n") << QByteArray("A") << QByteArray(";x") << QByteArray();
        QTest::newRow("LF line ends") << QByteArray("[A]\nk=v\n") << QByteArray("A") << QByteArray("k") << QByteArray("v");
        QTest::newRow("no final line end") << QByteArray("[A]\nk=v") << QByteArray("A") << QByteArray("k") << QByteArray("v");
        QTest::newRow("stray CR before LF") << QByteArray("[A]\nk=v\r\r\n") << QByteArray("A") << QByteArray("k") << QByteArray("v");
        QTest::newRow("first of duplicates") << QByteArray("[A]\nk=1\nk=2\n") << QByteArray("A") << QByteArray("k") << QByteArray("1");
    }
    void lookup()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(IniFile::parse(contents).value(section, key), expected);
    }

    void setKeepsEverythingElse_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("replace in place, own spelling kept")
            << QByteArray("; top\r\n[config]\r\nOUTPUT=5\r\nOther=x\r\n") << QByteArray("CONFIG") << QByteArray("Output")
            << QByteArray("7") << QByteArray("; top\r\n[config]\r\nOUTPUT=7\r\nOther=x\r\n");
        QTest::newRow("new key after the section's last line, before blank")
            << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n") << QByteArray("a") << QByteArray("n") << QByteArray("v")
            << QByteArray("[A]\r\na=1\r\nn=v\r\n\r\n[B]\r\nb=2\r\n");
        QTest::newRow("new section at end after a blank line")
            << QByteArray("[A]\na=1\n") << QByteArray("TCP/IP") << QByteArray("IP Port") << QByteArray("1250")
            << QByteArray("[A]\na=1\n\n[TCP/IP]\nIP Port=1250\n");
        QTest::newRow("empty document")
            << QByteArray() << QByteArray("CONFIG") << QByteArray("Output") << QByteArray("1")
            << QByteArray("[CONFIG]\r\nOutput=1\r\n");
        QTest::newRow("high bytes kept")
            << QByteArray("[S]\r\nPassword=\r\n") << QByteArray("S") << QByteArray("Password") << QByteArray("\x01\xfe\xff")
            << QByteArray("[S]\r\nPassword=\x01\xfe\xff\r\n");
    }
    void setKeepsEverythingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, after);
        IniFile ini = IniFile::parse(before);
        QVERIFY(ini.setValue(section, key, value));
        QCOMPARE(ini.toBytes(), after);
        QCOMPARE(IniFile::parse(ini.toBytes()).value(section, key), value);
    }

    void lineBreakInValueIsRefused()
    {
        IniFile ini = IniFile::parse("[A]\r\nk=1\r\n");
        QVERIFY(!ini.setValue("A", "k", "x\ny"));
        QVERIFY(!ini.setValue("A", "k", "x\r"));
        QCOMPARE(ini.value("A", "k"), QByteArray("1"));
    }

    void loadAndSave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.ini"));
        IniFile ini;
        QVERIFY(IniFile::load(path, ini));  // missing file: empty document
        QVERIFY(ini.toBytes().isEmpty());
        QVERIFY(ini.setValue("A", "k", "v"));
        QVERIFY(ini.save(path));
        IniFile back;
        QVERIFY(IniFile::load(path, back));
        QCOMPARE(back.value("a", "K"), QByteArray("v"));
        // Nothing but the file itself is left in the directory.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("x.ini")});
    }

    void oversizedFileIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(IniFile::MaxFileSize + 1));
        f.close();
        IniFile ini;
        QString why;
        QVERIFY(!IniFile::load(path, ini, &why));
        QVERIFY(!why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
