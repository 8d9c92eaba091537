#include "codec/ByteManipulation.h"
#include "support/Fakes.h"

#include <QElapsedTimer>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

} // namespace

class TestByteManipulation final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // CheckSum(message, skip) or, for skip -1, whether a received frame is whole (its checksum
    // right, every byte but the command and the end seven-bit); and the 1-based position of the
    // end byte.
    void checkSum_data()
    {
        Columns<QByteArray, int, int, int>("message", "skip", "sum", "end");
        QTest::newRow("wraps to zero") << hex("817F01") << 0 << 0x00 << 0;
        QTest::newRow("end byte first") << hex("FF") << 0 << 0x00 << 1;
        QTest::newRow("frame right") << hex("81640569FF") << -1 << 1 << 5;
        QTest::newRow("bit 7 right after the command") << hex("81E40569FF") << -1 << 0 << 5;
    }
    void checkSum()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, skip);
        QTEST(skip < 0 ? int(IsSevenBitMessage(message)) : CheckSum(message, skip), "sum");
        QTEST(FindEOM(message), "end");
    }

    void cutMessage_data()
    {
        Columns<QByteArray, QByteArray, QByteArray>("buffer", "message", "rest");
        QTest::newRow("broken right after its command") << hex("FCF4FF") << hex("F4") << hex("FF");
        QTest::newRow("0xF3 alone") << hex("F3F5") << hex("F3") << hex("F5");
        QTest::newRow("bytes before a command") << hex("0102F5") << hex("F5") << QByteArray();
        QTest::newRow("no command at all") << hex("0102") << QByteArray() << QByteArray();
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
