#include "codec/ByteManipulation.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestByteManipulation final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bytesToInteger_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("value");
        QTest::newRow("largest") << 0x7F << 0x7F << 16383;
        QTest::newRow("high group only") << 0x00 << 0x01 << 128;
        QTest::newRow("system type 1301") << 0x15 << 0x0A << 1301;
        QTest::newRow("zero") << 0 << 0 << 0;
    }
    void bytesToInteger()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, value);
        QCOMPARE(BytesToInteger(static_cast<std::uint8_t>(low), static_cast<std::uint8_t>(high)), value);
        QCOMPARE(Int14At(QByteArray(1, '\0') + char(low) + char(high), 1), value);
    }

    void splitFlagByte_data()
    {
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("rest");
        QTest::newRow("flag and number") << 0x45 << 1 << 0x05;
        QTest::newRow("number only") << 0x3F << 0 << 0x3F;
        QTest::newRow("flag only") << 0x40 << 1 << 0x00;
        QTest::newRow("all seven bits") << 0x7F << 1 << 0x3F;
    }
    void splitFlagByte()
    {
        QFETCH(int, in);
        QFETCH(int, flag);
        QFETCH(int, rest);
        auto byte = static_cast<std::uint8_t>(in);
        QCOMPARE(SplitFlagByte(byte), flag);
        QCOMPARE(int(byte), rest);
    }

    void checkSum_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("sum");
        QTest::newRow("command byte only") << hex("81") << 0 << 0;
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("type reply being built") << hex("810601") << 0 << 0x07;
        QTest::newRow("wraps to zero") << hex("817F01") << 0 << 0x00;
        QTest::newRow("received frame") << hex("816464FF") << 2 << 0x64;
        QTest::newRow("skip beyond message") << hex("8101") << 5 << 0;
        QTest::newRow("full bytes reduce mod 128") << hex("80AC20") << 0 << 0x4C;
    }
    void checkSum()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, skip);
        QFETCH(int, sum);
        QCOMPARE(CheckSum(message, skip), sum);
    }

    void findEOM_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("end byte first") << hex("FF") << 1;
        QTest::newRow("type request") << hex("816464FF") << 4;
        QTest::newRow("no end yet") << hex("FC0A14") << 0;
        QTest::newRow("first of two") << hex("01FFFF") << 2;
    }
    void findEOM()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(int, position);
        QCOMPARE(FindEOM(buffer), position);
    }

    void trimBuffer_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("part") << hex("010203") << 1 << hex("01") << hex("0203");
        QTest::newRow("exact length") << hex("010203") << 3 << hex("010203") << QByteArray();
        QTest::newRow("longer than buffer") << hex("010203") << 9 << hex("010203") << QByteArray();
        QTest::newRow("zero") << hex("0102") << 0 << QByteArray() << hex("0102");
        QTest::newRow("negative") << hex("0102") << -1 << QByteArray() << hex("0102");
        QTest::newRow("empty buffer") << QByteArray() << 2 << QByteArray() << QByteArray();
    }
    void trimBuffer()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(int, count);
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, rest);
        QCOMPARE(TrimBuffer(buffer, count), head);
        QCOMPARE(buffer, rest);
    }

    void checksumMatches_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("matches");
        QTest::newRow("right") << hex("81640569FF") << true;
        QTest::newRow("wrong") << hex("81640568FF") << false;
        QTest::newRow("one byte") << hex("FF") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void checksumMatches()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, matches);
        QCOMPARE(ChecksumMatches(message), matches);
    }

    void cutMessage_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("noise before a poll answer") << hex("0102F4") << hex("F4") << QByteArray();
        QTest::newRow("only data bytes") << hex("010203") << QByteArray() << QByteArray();
        QTest::newRow("incomplete kept") << hex("FC0A14") << QByteArray() << hex("FC0A14");
        QTest::newRow("noise before incomplete") << hex("01FC0A") << QByteArray() << hex("FC0A");
        QTest::newRow("incomplete with high-bit byte waits for its end")
            << hex("FC0AF401") << QByteArray() << hex("FC0AF401");
        QTest::newRow("broken frame gives way") << hex("FC0A816464FF") << hex("816464FF") << QByteArray();
        QTest::newRow("two broken frames") << hex("FC01FE02816464FF") << hex("816464FF") << QByteArray();
        QTest::newRow("high bit in checksum position") << hex("FC01F4FF") << hex("F4") << hex("FF");
        QTest::newRow("lone end byte") << hex("FF") << hex("FF") << QByteArray();
        QTest::newRow("one poll per call") << hex("F5F5") << hex("F5") << hex("F5");
        QTest::newRow("framed then poll") << hex("E90101FFF5") << hex("E90101FF") << hex("F5");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
    }
    void cutMessage()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, rest);
        QCOMPARE(CutMessage(buffer), message);
        QCOMPARE(buffer, rest);
    }

    void cutMessageLongRunOfCommandBytes()
    {
        // Every command byte before the 0xFF is a broken frame; they must be passed over in one
        // sweep, not by searching for the end again for each of them.
        QByteArray buffer(4 * 1024 * 1024, char(0xFC));
        buffer += hex("816464FF");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(CutMessage(buffer), hex("816464FF"));
        QVERIFY2(timer.elapsed() < 10000, "cutting took quadratic time");
        QVERIFY(buffer.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestByteManipulation)
#include "tst_bytemanipulation.moc"
