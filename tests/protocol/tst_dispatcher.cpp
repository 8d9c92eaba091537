#include "protocol/ByteManipulation.h"
#include "protocol/Dispatcher.h"
#include "protocol/Messages.h"
#include "support/Fakes.h"

#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A panel connected to a Server Module that has not yet reported the switcher.
struct Connected : TestPanel {
    Connected()
    {
        InitVariables(s, view);
        link.connected = true;
        s.Connected = true;
    }
    // Puts bytes into RxBuffer and runs one dispatcher call.
    void dispatch(const QByteArray& bytes)
    {
        s.RxBuffer += bytes;
        ProcessCommand(panel);
    }
};

const QString ServerPasswordDialog = QStringLiteral("dialog:%1").arg(int(Dialog::ServerPassword));

} // namespace

class TestDispatcher final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneMessagePerCall_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("noise before a poll") << hex("0102F5") << hex("F4") << QByteArray();
        QTest::newRow("broken frame then type request")
            << hex("FC0A816464FF") << hex("81060107FF") << QByteArray();
        QTest::newRow("lone end byte") << hex("FF") << QByteArray() << QByteArray();
        QTest::newRow("two polls, one answered") << hex("F5F5") << hex("F4") << hex("F5");
        QTest::newRow("0xE9 consumed") << hex("E90101FFF5") << QByteArray() << hex("F5");
        QTest::newRow("0xF3 consumed") << hex("F3F5") << QByteArray() << hex("F5");
        QTest::newRow("command without handler") << hex("A00101FF") << QByteArray() << QByteArray();
    }
    void oneMessagePerCall()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, rest);
        Connected t;
        t.dispatch(buffer);
        QCOMPARE(t.link.sent.join(), sent);
        QCOMPARE(t.s.RxBuffer, rest);
    }

    void pollAnswers_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("onlineAfter");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("sourceItems");
        const QStringList shown{QStringLiteral("Studio A")};
        const QStringList noSystem{QStringLiteral("No System")};
        QTest::newRow("present while absent asks for every table")
            << false << hex("F4") << true << InfoRequestMessage(Tables::All) << shown;
        QTest::newRow("present while present only resets the count")
            << true << hex("F4") << true << QByteArray() << shown;
        QTest::newRow("absent while present shows no system")
            << true << hex("F1") << false << QByteArray() << noSystem;
        QTest::newRow("absent while absent only resets the count")
            << false << hex("F1") << false << QByteArray() << shown;
    }
    void pollAnswers()
    {
        QFETCH(bool, online);
        QFETCH(QByteArray, answer);
        QFETCH(bool, onlineAfter);
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, sourceItems);
        Connected t;
        t.s.SystemOnline = online;
        t.s.PollMissCount = 7;
        t.s.PendingTables = 0;
        t.view.sourceItems = QStringList{QStringLiteral("Studio A")};

        t.dispatch(answer);

        QCOMPARE(t.s.PollMissCount, 0);
        QCOMPARE(t.s.SystemOnline, onlineAfter);
        QCOMPARE(t.link.sent.join(), sent);
        QCOMPARE(t.view.sourceItems, sourceItems);
        if (!sent.isEmpty()) {
            QCOMPARE(t.s.PendingTables, Tables::All);
            QVERIFY(t.s.SystemReady);
        }
    }

    void typeRequest_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<bool>("answered");
        QTest::newRow("short form") << hex("816464FF") << true;
        QTest::newRow("long form") << hex("81640569FF") << true;
        QTest::newRow("wrong checksum") << hex("81640568FF") << false;
        QTest::newRow("0x65 at position 1") << hex("816565FF") << false;
        QTest::newRow("six bytes") << hex("8164010166FF") << false;
        QTest::newRow("three bytes") << hex("8164FF") << false;
    }
    void typeRequest()
    {
        QFETCH(QByteArray, request);
        QFETCH(bool, answered);
        Connected t;
        t.dispatch(request);
        QCOMPARE(t.link.sent, answered ? QList<QByteArray>{hex("81060107FF")} : QList<QByteArray>{});
        QVERIFY(t.s.RxBuffer.isEmpty());
    }

    void version_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("systemType");
        QTest::newRow("1301") << hex("E5010000150A000020FF") << 1301;
        QTest::newRow("1351") << hex("E5010000470A000052FF") << 1351;
        QTest::newRow("eleven bytes") << hex("E5010000150A00000020FF") << 42;
        QTest::newRow("wrong checksum") << hex("E5010000150A000021FF") << 42;
        QTest::newRow("0x02 at position 1") << hex("E5020000150A000021FF") << 42;
    }
    void version()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, systemType);
        Connected t;
        t.s.SystemType = 42;
        t.dispatch(message);
        QCOMPARE(t.s.SystemType, systemType);
        QVERIFY(t.link.sent.isEmpty());
    }

    void passwordRequest_data()
    {
        QTest::addColumn<QString>("ipPassword");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("prompted");
        const QByteArray request = hex("F20200000000000000000002FF");
        QTest::newRow("answered from the setting")
            << QStringLiteral("abc") << request << hex("80000361626329FF") << false;
        QTest::newRow("checksum not examined")
            << QStringLiteral("abc") << hex("F20200000000000000000077FF") << hex("80000361626329FF") << false;
        QTest::newRow("twelve bytes") << QStringLiteral("abc") << hex("F202000000000000000002FF") << QByteArray() << false;
        QTest::newRow("other mask") << QStringLiteral("abc") << hex("F20300000000000000000003FF") << QByteArray() << false;
        QTest::newRow("no password set: prompt") << QString() << request << QByteArray() << true;
    }
    void passwordRequest()
    {
        QFETCH(QString, ipPassword);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, sent);
        QFETCH(bool, prompted);
        Connected t;
        t.s.IpPassword = ipPassword;
        t.view.windowOrder = TopMost;
        t.dispatch(request);
        QCOMPARE(t.link.sent.join(), sent);
        QCOMPARE(t.prompts.asked.size(), std::size_t(prompted ? 1 : 0));
        if (prompted) {
            QCOMPARE(t.prompts.asked[0].what, ServerPasswordDialog);
            QCOMPARE(t.prompts.asked[0].windowOrder, NotTopMost);
            QCOMPARE(t.view.windowOrder, TopMost);
        }
        QVERIFY(t.s.RxBuffer.isEmpty());
    }

    void passwordPromptRestoresChosenOrder()
    {
        Connected t;
        t.s.StayOnTop = NotTopMost;
        t.view.windowOrder = NotTopMost;
        t.dispatch(hex("F20200000000000000000002FF"));
        QCOMPARE(t.view.windowOrderLog, (QStringList{QStringLiteral("-2"), QStringLiteral("-2")}));
    }

    void passwordRequestWhilePromptOpen()
    {
        // The prompt that is open answers; a second one is not stacked on it.
        Connected t;
        t.s.SwitcherPasswordShown = true;
        t.dispatch(hex("F20200000000000000000002FF"));
        QVERIFY(t.prompts.asked.empty());
        QVERIFY(t.link.sent.isEmpty());
    }

    void passwordMessage_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("empty") << QString() << hex("80000000FF");
        QTest::newRow("ascii") << QStringLiteral("abc") << hex("80000361626329FF");
        // Beyond ASCII each non-zero byte of the 16-bit code goes, low byte first; the count
        // byte still counts characters.
        QTest::newRow("latin-1") << QStringLiteral("\u00E9") << hex("800001E96AFF");
        QTest::newRow("zero low byte") << QStringLiteral("\u0100") << hex("8000010102FF");
        QTest::newRow("two bytes") << QStringLiteral("a\u20AC") << hex("80000261AC202FFF");
    }
    void passwordMessage()
    {
        QFETCH(QString, password);
        QFETCH(QByteArray, message);
        QCOMPARE(PasswordMessage(password), message);
    }

    void infoRequest_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("all tables") << 0x5380 << hex("F20027010000000000000028FF");
        QTest::newRow("inhibit map") << 0x1000 << hex("F20020000000000000000020FF");
        QTest::newRow("map and inhibit map") << 0x1080 << hex("F20021000000000000000021FF");
    }
    void infoRequest()
    {
        QFETCH(int, mask);
        QFETCH(QByteArray, message);
        Connected t;
        t.s.PendingTables = 0x4000;
        SendInfoRequest(t.panel, mask);
        QCOMPARE(t.link.sent, QList<QByteArray>{message});
        // Bits not asked for again are no longer awaited.
        QCOMPARE(t.s.PendingTables, mask);
    }

    void infoRequestNeverAsksForThePassword()
    {
        Connected t;
        t.s.PendingTables = 0x1080;
        SendInfoRequest(t.panel, Tables::PasswordRequest);
        QVERIFY(t.link.sent.isEmpty());
        QCOMPARE(t.s.PendingTables, 0x1080);
    }

    void crosspointChange_data()
    {
        QTest::addColumn<int>("systemType");
        QTest::addColumn<int>("numInputs");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("source");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("source 5 to destination 2") << 0 << 256 << 2 << 5 << hex("FE04080500020013FF");
        QTest::newRow("destination 200") << 0 << 256 << 200 << 5 << hex("FE0408050048015AFF");
        QTest::newRow("OFF source of 1301") << 1301 << 21 << 2 << 20 << hex("FE00087F7F020008FF");
        QTest::newRow("OFF source of 1351") << 1351 << 21 << 2 << 20 << hex("FE00087F7F020008FF");
        QTest::newRow("last source of 1201") << 1201 << 21 << 2 << 20 << hex("FE04081400020022FF");
        QTest::newRow("other source of 1301") << 1301 << 21 << 2 << 19 << hex("FE04081300020021FF");
    }
    void crosspointChange()
    {
        QFETCH(int, systemType);
        QFETCH(int, numInputs);
        QFETCH(int, destination);
        QFETCH(int, source);
        QFETCH(QByteArray, message);
        Connected t;
        t.s.SystemType = systemType;
        t.s.NumInputs = numInputs;
        SendCrosspointChange(t.panel, destination, source);
        QCOMPARE(t.link.sent, QList<QByteArray>{message});
    }

    void crosspointChangeOutOfRange()
    {
        Connected t;
        SendCrosspointChange(t.panel, MaxInt14 + 1, 5);
        SendCrosspointChange(t.panel, 2, -1);
        QVERIFY(t.link.sent.isEmpty());
        QCOMPARE(t.logLines().size(), 2);
        QVERIFY(t.logLines().at(0).contains(QStringLiteral("Error Sending Crosspoint Change")));
    }

    void salvoExecute_data()
    {
        QTest::addColumn<int>("salvo");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("salvo 3") << 3 << hex("EA64030067FF");
        QTest::newRow("salvo 130") << 130 << hex("EA64020167FF");
        QTest::newRow("salvo 0") << 0 << hex("EA64000064FF");
        QTest::newRow("out of range") << MaxInt14 + 1 << QByteArray();
    }
    void salvoExecute()
    {
        QFETCH(int, salvo);
        QFETCH(QByteArray, message);
        Connected t;
        SendSalvoExecute(t.panel, salvo);
        QCOMPARE(t.link.sent.join(), message);
        QVERIFY(t.logLines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
