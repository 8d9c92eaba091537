#include "codec/ByteManipulation.h"
#include "protocol/Dispatcher.h"
#include "protocol/Messages.h"
#include "support/Fakes.h"

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// A panel connected to a Server Module, system type 42, password "abc", every table awaited.
struct Connected : TestPanel {
    Connected()
    {
        InitVariables(s, server);
        link.connected = s.Connected = true;
        s.SystemType = 42;
        s.IpPassword = QStringLiteral("abc");
    }
};

// in: the bytes received; online: SystemOnline before; then what is sent, what stays in RxBuffer,
// and SystemOnline and SystemType afterwards.
void dispatchRow(const char* name, const char* in, bool online, const char* sent, const char* rest, bool onlineAfter, int type = 42)
{
    QTest::newRow(name) << hex(in) << online << hex(sent) << hex(rest) << onlineAfter << type;
}

} // namespace

class TestDispatcher final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One message per call, to the handler of its command byte (the table messages' rows are in
    // tst_tablemessages, which runs them through the dispatcher).
    void dispatch_data()
    {
        Columns<QByteArray, bool, QByteArray, QByteArray, bool, int>("in", "online", "sent", "rest", "onlineAfter", "type");
        dispatchRow("noise before a poll", "0102F5", true, "F4", "", true);
        dispatchRow("two polls, one answered", "F5F5", true, "F4", "F5", true);
        dispatchRow("lone end byte", "FF", true, "", "", true);
        dispatchRow("0xE9 consumed", "E90101FFF5", true, "", "F5", true);
        dispatchRow("0xF3 consumed", "F3F5", true, "", "F5", true);
        dispatchRow("command without handler", "A00101FF", true, "", "", true);
        dispatchRow("present while absent asks for every table", "F4", false, "F20027010000000000000028FF", "", true);
        dispatchRow("present while present", "F4", true, "", "", true);
        dispatchRow("absent while present", "F1", true, "", "", false);
        dispatchRow("absent while absent", "F1", false, "", "", false);
        dispatchRow("type request after a broken frame", "FC0A816464FF", true, "81060107FF", "", true);
        dispatchRow("type request, long form", "81640569FF", true, "81060107FF", "", true);
        dispatchRow("type request, wrong checksum", "81640568FF", true, "", "", true);
        dispatchRow("type request, 0x65 at position 1", "816565FF", true, "", "", true);
        dispatchRow("type request, six bytes", "8164010166FF", true, "", "", true);
        dispatchRow("password request answered from the setting", "F20200000000000000000002FF", true, "80000361626329FF", "", true);
        dispatchRow("password request, checksum not examined", "F20200000000000000000077FF", true, "80000361626329FF", "", true);
        dispatchRow("password request, twelve bytes", "F202000000000000000002FF", true, "", "", true);
        dispatchRow("password request, other mask", "F20300000000000000000003FF", true, "", "", true);
        dispatchRow("version 1301", "E5010000150A000020FF", true, "", "", true, 1301);
        dispatchRow("version, eleven bytes", "E5010000150A00000020FF", true, "", "", true);
        dispatchRow("version, wrong checksum", "E5010000150A000021FF", true, "", "", true);
        dispatchRow("version, 0x02 at position 1", "E5020000150A000021FF", true, "", "", true);
    }
    void dispatch()
    {
        QFETCH(QByteArray, in);
        Connected t;
        QFETCH(bool, online);
        t.s.SystemOnline = online;
        t.s.PollMissCount = 7;
        t.s.RxBuffer = in;
        ProcessCommand(t.panel);
        QTEST(t.link.sent.join(), "sent");
        QTEST(t.s.RxBuffer, "rest");
        QTEST(t.s.SystemOnline, "onlineAfter");
        QTEST(t.s.SystemType, "type");
        QCOMPARE(t.s.PendingTables, Tables::All);
        QCOMPARE(t.s.PollMissCount, in == hex("F4") || in == hex("F1") ? 0 : 7);
    }

    // Without a password set the prompt opens with the panel lowered, and the panel's order comes
    // back afterwards; a prompt already open answers the next request, none is stacked on it.
    void passwordPrompt()
    {
        Connected t;
        t.s.IpPassword.clear();
        t.s.StayOnTop = t.view.windowOrder = TopMost;
        for (const bool open : {false, true}) {
            t.s.SwitcherPasswordShown = open;
            t.s.RxBuffer = hex("F20200000000000000000002FF");
            ProcessCommand(t.panel);
        }
        QCOMPARE(t.prompts.titles(), QStringList{QStringLiteral("dialog:%1").arg(int(Dialog::ServerPassword))});
        QCOMPARE(t.prompts.asked[0].windowOrder, NotTopMost);
        QCOMPARE(t.view.windowOrder, TopMost);
        QVERIFY(t.link.sent.isEmpty());
    }

    // The tables asked for are the ones awaited; the password is never asked for, and nothing out
    // of 14 bits is sent. A password's count byte counts characters; beyond ASCII each non-zero
    // byte of the 16-bit code goes, low byte first.
    void outbound()
    {
        Connected t;
        SendInfoRequest(t.panel, Tables::PasswordRequest);
        SendSalvoExecute(t.panel, MaxInt14 + 1);
        QVERIFY(t.link.sent.isEmpty());
        SendInfoRequest(t.panel, 0x1080);
        QCOMPARE(t.s.PendingTables, 0x1080);
        SendSalvoExecute(t.panel, 130);
        SendPassword(t.panel, QStringLiteral("\u0100"));
        SendPassword(t.panel, QStringLiteral("a\u20AC"));
        QCOMPARE(t.link.sent, (QList<QByteArray>{hex("F20021000000000000000021FF"), hex("EA64020167FF"), hex("8000010102FF"),
                                                 hex("80000261AC202FFF")}));
    }

    void crosspointChange_data()
    {
        Columns<int, int, int, QByteArray>("systemType", "destination", "source", "message");  // message empty: logged
        QTest::newRow("source 5 to destination 2") << 0 << 2 << 5 << hex("FE04080500020013FF");
        QTest::newRow("destination 200") << 0 << 200 << 5 << hex("FE0408050048015AFF");
        QTest::newRow("OFF source of 1301") << 1301 << 2 << 20 << hex("FE00087F7F020008FF");
        QTest::newRow("last source of 1201") << 1201 << 2 << 20 << hex("FE04081400020022FF");
        QTest::newRow("other source of 1301") << 1301 << 2 << 19 << hex("FE04081300020021FF");
        QTest::newRow("destination beyond 14 bits") << 0 << MaxInt14 + 1 << 5 << QByteArray();
        QTest::newRow("negative source") << 0 << 2 << -1 << QByteArray();
    }
    void crosspointChange()
    {
        QFETCH(int, destination);
        QFETCH(int, source);
        QFETCH(QByteArray, message);
        Connected t;
        QFETCH(int, systemType);
        t.s.SystemType = systemType;
        t.s.NumInputs = 21;
        SendCrosspointChange(t.panel, destination, source);
        QCOMPARE(t.link.sent.join(), message);
        QCOMPARE(t.logLines().join(QString()).contains(QStringLiteral("Error Sending Crosspoint Change")), message.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
