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
    // tst_tablemessages, which runs them through the dispatcher); a poll answer resets the count
    // of unanswered polls.
    void dispatch_data()
    {
        Columns<QByteArray, bool, QByteArray, QByteArray, bool, int>("in", "online", "sent", "rest", "onlineAfter", "type");
        dispatchRow("two polls, one answered", "F5F5", true, "F4", "F5", true);
        dispatchRow("present while absent asks for every table", "F4", false, "F20027010000000000000028FF", "", true);
        dispatchRow("absent while present", "F1", true, "", "", false);
        dispatchRow("type request, long form", "81640569FF", true, "81060107FF", "", true);
        dispatchRow("type request, 0x65 at position 1", "816565FF", true, "", "", true);
        dispatchRow("password request, checksum not examined", "F20200000000000000000077FF", true, "80000361626329FF", "", true);
        dispatchRow("version 1301", "E5010000150A000020FF", true, "", "", true, 1301);
        dispatchRow("version, wrong checksum", "E5010000150A000021FF", true, "", "", true);
        dispatchRow("version, a byte too many", "E5010000150A00000020FF", true, "", "", true);
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
        QCOMPARE(t.s.SystemReady, in == hex("F4"));  // only a present switcher's tables are awaited
        QTEST(t.s.SystemType, "type");
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

    // The tables asked for are the ones awaited. A password's count byte counts characters; beyond
    // ASCII each non-zero byte of the 16-bit code goes, low byte first.
    void outbound()
    {
        Connected t;
        SendInfoRequest(t.panel, 0x1080);
        QCOMPARE(t.s.PendingTables, 0x1080);
        SendSalvoExecute(t.panel, 130);
        SendPassword(t.panel, QStringLiteral("\u0100"));
        SendPassword(t.panel, QStringLiteral("a\u20AC"));
        QCOMPARE(t.link.sent, (QList<QByteArray>{hex("F20021000000000000000021FF"), hex("EA64020167FF"), hex("8000010102FF"),
                                                 hex("80000261AC202FFF")}));
    }

    // A source goes in field 1028, the OFF source of 1301 and 1351 as its own field 1024; a source
    // out of 14 bits is logged.
    void crosspointChange()
    {
        Connected t;
        t.s.SystemType = 1301;
        t.s.NumInputs = 21;
        SendCrosspointChange(t.panel, 2, 5);
        SendCrosspointChange(t.panel, 2, 20);
        SendCrosspointChange(t.panel, 2, -1);
        QCOMPARE(t.link.sent.join(), hex("FE04080500020013FF" "FE00087F7F020008FF"));
        QVERIFY(t.logLines().join(QString()).contains(QStringLiteral("Error Sending Crosspoint Change: Error # 5 - Channel out of range")));
    }
};

QTEST_GUILESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
