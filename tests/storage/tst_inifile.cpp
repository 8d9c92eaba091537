#include "support/Fakes.h"

#include "storage/IniFile.h"

#include <QTest>

class TestIniFile final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Names match whatever their case and blanks around them; a value is the bytes after "=" as
    // they stand; every CR before the LF belongs to the line end.
    void lookup_data()
    {
        Columns<QByteArray, QByteArray, QByteArray>("contents", "key", "expected");  // key: section|key
        const QByteArray file = "; settings\r\n[CONFIG]\r\nOutput=5\r\n Hide Inhibits =Yes\r\n[tcp/ip]\r\nIP Password= \x7f\xff=x\r\nEmpty=\r\n";
        QTest::newRow("names ignore case") << file << QByteArray("config|OUTPUT") << QByteArray("5");
        QTest::newRow("key name trimmed") << file << QByteArray("CONFIG|Hide Inhibits") << QByteArray("Yes");
        QTest::newRow("value byte-exact") << file << QByteArray("TCP/IP|IP Password") << QByteArray(" \x7f\xff=x");
        QTest::newRow("empty first line") << QByteArray("\n[A]\nk=v\n") << QByteArray("A|k") << QByteArray("v");
        QTest::newRow("stray CR before LF") << QByteArray("[A]\nk=v\r\r\n") << QByteArray("A|k") << QByteArray("v");
    }
    void lookup()
    {
        auto [contents, key] = Fetch<QByteArray, QByteArray>("contents", "key");
        QTEST(IniFile::parse(contents).value(key.split('|')[0], key.split('|')[1]), "expected");
    }

    // Setting a key changes its line only (a new key goes at its section's end, with the file's
    // line ends); a value with a line break is refused and changes nothing.
    void set_data()
    {
        Columns<QByteArray, QByteArray, QByteArray>("before", "set", "after");  // set: section|key|value; after: empty when refused
        QTest::newRow("in place, own spelling kept") << QByteArray("; top\r\n[config]\r\nOUTPUT=5\r\nOther=x\r\n") << QByteArray("CONFIG|Output|7")
                                                     << QByteArray("; top\r\n[config]\r\nOUTPUT=7\r\nOther=x\r\n");
        QTest::newRow("new key at the section's end") << QByteArray("[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n") << QByteArray("a|n|v")
                                                      << QByteArray("[A]\r\na=1\r\nn=v\r\n\r\n[B]\r\nb=2\r\n");
        QTest::newRow("new key right before the next section") << QByteArray("[A]\r\na=1\r\n[B]\r\nb=2\r\n") << QByteArray("A|n|v")
                                                               << QByteArray("[A]\r\na=1\r\nn=v\r\n[B]\r\nb=2\r\n");
        QTest::newRow("line ends of an empty first line") << QByteArray("\r\n[A]\r\na=1\r\n") << QByteArray("A|n|v")
                                                          << QByteArray("\r\n[A]\r\na=1\r\nn=v\r\n");
        QTest::newRow("LF in value") << QByteArray("[A]\r\nk=1\r\n") << QByteArray("A|k|x\ny") << QByteArray();
    }
    void set()
    {
        auto [before, set, after] = Fetch<QByteArray, QByteArray, QByteArray>("before", "set", "after");
        const QList<QByteArray> s = set.split('|');
        IniFile ini = IniFile::parse(before);
        QCOMPARE(ini.setValue(s[0], s[1], s[2]), !after.isEmpty());
        QCOMPARE(ini.toBytes(), after.isEmpty() ? before : after);
        // The document reads as it now stands, without being parsed again.
        QCOMPARE(ini.value(s[0], s[1]), after.isEmpty() ? QByteArray("1") : s[2]);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
