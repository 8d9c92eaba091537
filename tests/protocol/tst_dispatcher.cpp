#include "codec/ByteManipulation.h"
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
        InitVariables(s, server);
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

    // Answered from the setting, or the prompt opens with the panel lowered and the chosen order
    // comes back afterwards; a prompt already open answers, none is stacked on it.
    void passwordRequest_data()
    {
        QTest::addColumn<QString>("ipPassword");
        QTest::addColumn<int>("stayOnTop");
        QTest::addColumn<bool>("promptOpen");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("prompted");
        const QByteArray request = hex("F20200000000000000000002FF");
        const QString abc = QStringLiteral("abc");
        QTest::newRow("answered from the setting") << abc << TopMost << false << request << hex("80000361626329FF") << false;
        QTest::newRow("checksum not examined")
            << abc << TopMost << false << hex("F20200000000000000000077FF") << hex("80000361626329FF") << false;
        QTest::newRow("twelve bytes") << abc << TopMost << false << hex("F202000000000000000002FF") << QByteArray() << false;
        QTest::newRow("other mask") << abc << TopMost << false << hex("F20300000000000000000003FF") << QByteArray() << false;
        QTest::newRow("no password set: prompt") << QString() << TopMost << false << request << QByteArray() << true;
        QTest::newRow("prompt, not on top") << QString() << NotTopMost << false << request << QByteArray() << true;
        QTest::newRow("prompt already open") << QString() << TopMost << true << request << QByteArray() << false;
    }
    void passwordRequest()
    {
        QFETCH(QString, ipPassword);
        QFETCH(int, stayOnTop);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, sent);
        QFETCH(bool, prompted);
        Connected t;
        t.s.IpPassword = ipPassword;
        t.s.StayOnTop = stayOnTop;
        t.view.windowOrder = stayOnTop;
        QFETCH(bool, promptOpen);
        t.s.SwitcherPasswordShown = promptOpen;
        t.dispatch(request);
        QCOMPARE(t.link.sent.join(), sent);
        QCOMPARE(t.prompts.asked.size(), std::size_t(prompted ? 1 : 0));
        if (prompted) {
            QCOMPARE(t.prompts.asked[0].what, ServerPasswordDialog);
            QCOMPARE(t.prompts.asked[0].windowOrder, NotTopMost);
            QCOMPARE(t.view.windowOrder, stayOnTop);
        }
        QVERIFY(t.s.RxBuffer.isEmpty());
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

    // Bits not asked for again are no longer awaited; the password is never asked for.
    void infoRequest_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("pending");
        QTest::newRow("all tables") << 0x5380 << hex("F20027010000000000000028FF") << 0x5380;
        QTest::newRow("inhibit map") << 0x1000 << hex("F20020000000000000000020FF") << 0x1000;
        QTest::newRow("map and inhibit map") << 0x1080 << hex("F20021000000000000000021FF") << 0x1080;
        QTest::newRow("password request") << int(Tables::PasswordRequest) << QByteArray() << 0x4000;
    }
    void infoRequest()
    {
        QFETCH(int, mask);
        QFETCH(QByteArray, message);
        Connected t;
        t.s.PendingTables = 0x4000;
        SendInfoRequest(t.panel, mask);
        QCOMPARE(t.link.sent.join(), message);
        QTEST(t.s.PendingTables, "pending");
    }

    void crosspointChange_data()
    {
        QTest::addColumn<int>("systemType");
        QTest::addColumn<int>("numInputs");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("source");
        QTest::addColumn<QByteArray>("message");  // empty: not sent, logged
        QTest::newRow("source 5 to destination 2") << 0 << 256 << 2 << 5 << hex("FE04080500020013FF");
        QTest::newRow("destination 200") << 0 << 256 << 200 << 5 << hex("FE0408050048015AFF");
        QTest::newRow("OFF source of 1301") << 1301 << 21 << 2 << 20 << hex("FE00087F7F020008FF");
        QTest::newRow("OFF source of 1351") << 1351 << 21 << 2 << 20 << hex("FE00087F7F020008FF");
        QTest::newRow("last source of 1201") << 1201 << 21 << 2 << 20 << hex("FE04081400020022FF");
        QTest::newRow("other source of 1301") << 1301 << 21 << 2 << 19 << hex("FE04081300020021FF");
        QTest::newRow("destination beyond 14 bits") << 0 << 256 << MaxInt14 + 1 << 5 << QByteArray();
        QTest::newRow("negative source") << 0 << 256 << 2 << -1 << QByteArray();
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
        QCOMPARE(t.link.sent.join(), message);
        QCOMPARE(t.logLines().size(), message.isEmpty() ? 1 : 0);
        if (message.isEmpty())
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
