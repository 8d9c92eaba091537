#include "codec/ByteManipulation.h"
#include "support/Fakes.h"

#include <QElapsedTimer>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

} // namespace

class TestByteManipulation final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Two 7-bit groups, low group first, both ways.
    void int14_data()
    {
        Columns<QByteArray, int>("groups", "value");
        QTest::newRow("largest") << hex("7F7F") << 16383;
        QTest::newRow("system type 1301") << hex("150A") << 1301;
    }
    void int14()
    {
        QFETCH(QByteArray, groups);
        QFETCH(int, value);
        QCOMPARE(Int14At(hex("81") + groups, 1), value);
        QCOMPARE(MessageBuilder(0x81).int14(value).finish().mid(1, 2), groups);
    }

    // CheckSum(message, skip) or, for skip -1, whether a received frame's checksum matches; and
    // the 1-based position of the end byte.
    void checkSum_data()
    {
        Columns<QByteArray, int, int, int>("message", "skip", "sum", "end");
        QTest::newRow("empty") << QByteArray() << 0 << 0 << 0;
        QTest::newRow("type reply being built") << hex("810601") << 0 << 0x07 << 0;
        QTest::newRow("wraps to zero") << hex("817F01") << 0 << 0x00 << 0;
        QTest::newRow("full bytes reduce mod 128") << hex("80AC20") << 0 << 0x4C << 0;
        QTest::newRow("received frame") << hex("816464FF") << 2 << 0x64 << 4;
        QTest::newRow("frame right") << hex("81640569FF") << -1 << 1 << 5;
        QTest::newRow("frame wrong") << hex("81640568FF") << -1 << 0 << 5;
        QTest::newRow("end byte alone") << hex("FF") << -1 << 0 << 1;
    }
    void checkSum()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, skip);
        QTEST(skip < 0 ? int(ChecksumMatches(message)) : CheckSum(message, skip), "sum");
        QTEST(FindEOM(message), "end");
    }

    void cutMessage_data()
    {
        Columns<QByteArray, QByteArray, QByteArray>("buffer", "message", "rest");
        QTest::newRow("noise before a poll answer") << hex("0102F4") << hex("F4") << QByteArray();
        QTest::newRow("only data bytes") << hex("010203") << QByteArray() << QByteArray();
        QTest::newRow("noise before incomplete") << hex("01FC0A") << QByteArray() << hex("FC0A");
        QTest::newRow("incomplete with high-bit byte waits for its end") << hex("FC0AF401") << QByteArray() << hex("FC0AF401");
        QTest::newRow("broken frame gives way") << hex("FC0A816464FF") << hex("816464FF") << QByteArray();
        QTest::newRow("broken right after its command") << hex("FCF4FF") << hex("F4") << hex("FF");
        QTest::newRow("two broken frames") << hex("FC01FE02816464FF") << hex("816464FF") << QByteArray();
        QTest::newRow("lone end byte") << hex("FF") << hex("FF") << QByteArray();
        QTest::newRow("one poll per call") << hex("F5F5") << hex("F5") << hex("F5");
        QTest::newRow("0xF3 alone") << hex("F3F5") << hex("F3") << hex("F5");
        QTest::newRow("framed then poll") << hex("E90101FFF5") << hex("E90101FF") << hex("F5");
    }
    void cutMessage()
    {
        QFETCH(QByteArray, buffer);
        QTEST(CutMessage(buffer), "message");
        QTEST(buffer, "rest");
    }

    // A long run of broken frames is passed over in one sweep, not one search per command byte.
    void cutMessageLongRunOfCommandBytes()
    {
        QByteArray buffer = QByteArray(4 * 1024 * 1024, char(0xFC)) + hex("816464FF");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(CutMessage(buffer), hex("816464FF"));
        QVERIFY2(timer.elapsed() < 10000, "cutting took quadratic time");
    }
};

QTEST_GUILESS_MAIN(TestByteManipulation)
#include "tst_bytemanipulation.moc"
