// The simulator's wire format and one connection's replies, driven with bytes and checked byte by
// byte: the panel's tests against the simulator are only as good as these.

#include "RouterModel.h"
#include "ServerMessages.h"
#include "SimSession.h"
#include "codec/ByteManipulation.h"
#include "support/Fakes.h"

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// A session on the 32 x 16 router of the given type (source 7 inhibited on destination 3, source 6
// on destination 1, four salvos), recording everything it writes.
struct Rig {
    explicit Rig(int type, SessionOptions options = {})
        : model({.systemType = type, .inhibits = {{7, 3}, {6, 1}},
                 .salvos = {{"EMPTY", 0, {}}, {"OFF", 0, {{32, 6}}}, {"KEYED", 5, {{2, 2}}}, {"ALL", 0, {{0, 0}, {6, 1}, {4, 5}}}}})
        , session(model, std::move(options), SessionCallbacks{[this](const QByteArray& b) { out += b; }, {}, {}, {}})
    {
        session.start();
    }
    RouterModel model;
    QByteArray out;
    SimSession session;
};

} // namespace

class TestSimSession final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void messages_data()
    {
        Columns<QByteArray, QByteArray>("built", "expected");
        using Names = std::vector<QByteArray>;
        QTest::newRow("crosspoint map: nothing routed")
            << CrosspointMapMessage(0, {-1, 2}) << hex("F6 04 02 00 00 00 00 00 00 01 00 00 02 00 00 00 09 FF");
        QTest::newRow("crosspoint map: second chunk of 1024") << CrosspointMapMessages(std::vector<int>(1500, 3), 1024).at(1).left(6)
                                                              << hex("F6 04 5C 03 00 08");
        QTest::newRow("names: padded and cut") << AlphaTableMessage(AlphaType::Sources, Names{"AB", "CDEFG"}, 4)
                                               << hex("FC 0A 04 02 00 00 00 41 42 20 20 00 00 43 44 45 46 01 00 66 FF");
        QTest::newRow("names: start index, high-bit byte sent as ?")
            << AlphaTableMessage(AlphaType::Sources, Names{QByteArray("\xC4", 1)}, 1, 2) << hex("FC 0A 01 01 00 02 00 3F 00 00 4D FF");
        QTest::newRow("inhibit map: 5 inhibited, 128 allowed")
            << InhibitMapMessage(2, {std::vector<bool>(5, true), std::vector<bool>(128, false), {}})
            << hex("F8 00 03 00 02 00 01 00 05 40 01 00 00 01 00 00 4D FF");
        QTest::newRow("inhibit map: runs of 13 bits at most") << InhibitMapMessage(0, {std::vector<bool>(16383, true)})
                                                              << hex("F8 00 01 00 00 00 03 00 7F 7F 7F 7F 01 40 41 FF");
        QTest::newRow("salvo events: key 130 with two changes, key 7 with none")
            << SalvoEventsMessage({{"FIRST", 130, {{1, 2}, {3, 4}}}, {"SECOND", 7, {}}})
            << hex("EB 00 02 00 00 00 02 01 02 00 04 08 01 00 02 00 00 00 00 00 00 00 00 04 08 03 00 04 00"
                   " 00 00 00 00 00 00 00 07 00 00 00 30 FF");
        QTest::newRow("version 1301") << VersionMessage(1301) << hex("E5 01 00 00 15 0A 00 00 20 FF");
        QTest::newRow("password request") << PasswordRequestMessage() << hex("F2 02 00 00 00 00 00 00 00 00 00 02 FF");
    }
    void messages()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    // One connection's replies to what a panel sends, whole or split into single bytes; the router
    // changes exactly as the takes reported.
    void replies_data()
    {
        Columns<int, bool, QByteArray, QByteArray>("type", "present", "received", "sent");
        const auto row = [](const char* name, int type, const char* received, const QByteArray& sent, bool present = true) {
            QTest::newRow(name) << type << present << hex(received) << sent;
        };
        const QByteArray change = hex("FE 04 08 05 00 02 00 13 FF");
        Rig fresh(1201);
        QByteArray tables;  // in the order the panel expects them
        for (const int bit : {Tables::SourceNames, Tables::DestinationNames, Tables::CrosspointMap, Tables::InhibitMap, Tables::Salvos})
            for (const QByteArray& m : TableMessages(fresh.model, bit))
                tables += m;
        row("poll", 1201, "F5", hex("F4"));
        row("poll, switcher absent", 1201, "F5", hex("F1"), false);
        row("the panel's poll answers are not answered", 1201, "F4 F3 F1", {});
        row("noise and a frame broken by a poll", 1201, "01 02 F5 FE 04 08 F5 FE 04 08 05 00 02 00 13 FF", hex("F4 F4") + change);
        row("change: field not examined", 1201, "FE 00 00 05 00 02 00 07 FF", change);
        row("change: OFF on 1301", 1301, "FE 00 08 7F 7F 02 00 08 FF", hex("FE 00 08 20 00 02 00 2A FF"));
        row("change: OFF on 1201 refused", 1201, "FE 00 08 7F 7F 02 00 08 FF", {});
        row("change: inhibited", 1201, "FE 04 08 07 00 03 00 16 FF", {});
        row("change: destination past the end", 1201, "FE 04 08 05 00 10 00 21 FF", {});
        row("change: bad checksum", 1201, "FE 04 08 05 00 02 00 14 FF", {});
        row("salvo 3, one change inhibited", 1301, "EA 64 03 00 67 FF", hex("FE 04 08 00 00 00 00 0C FF FE 04 08 04 00 05 00 15 FF"));
        row("salvo with OFF", 1301, "EA 64 01 00 65 FF", hex("FE 00 08 20 00 06 00 2E FF"));
        row("unknown salvo", 1301, "EA 64 04 00 68 FF", {});
        row("info request: every table", 1201, "F2 00 27 01 00 00 00 00 00 00 00 28 FF", tables);
    }
    void replies()
    {
        QFETCH(int, type);
        QFETCH(bool, present);
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, sent);
        for (const int step : {int(received.size()), 1}) {
            SessionOptions options;
            options.switcherPresent = present;
            Rig rig(type, options);
            std::vector<int> expected = rig.model.crosspoints();
            for (qsizetype i = 0; i < received.size(); i += step)
                rig.session.feed(received.mid(i, step));
            QCOMPARE(rig.out.toHex(' '), sent.toHex(' '));
            QCOMPARE(rig.session.bufferedBytes(), 0);
            for (qsizetype at = sent.indexOf('\xFE'); at >= 0; at = sent.indexOf('\xFE', at + 1))
                expected[std::size_t(Int14At(sent, at + 5))] = Int14At(sent, at + 3);
            QCOMPARE(rig.model.crosspoints(), expected);
        }
    }

    // Until the right password arrives only polls are answered (switcher absent) and nothing is
    // done. A request waiting for its answer is not sent again (a second prompt popped up right
    // after the operator typed the password); after a wrong one the next poll asks again.
    void passwordGate()
    {
        SessionOptions options;
        options.password = "open up";
        options.sendVersion = true;
        Rig rig(1201, options);
        const auto password = [](const QByteArray& text) {
            return MessageBuilder(Cmd::Password).byte(0).byte(int(text.size())).bytes(text).finish();
        };
        QCOMPARE(rig.out, PasswordRequestMessage());
        rig.out.clear();
        rig.session.feed(hex("F5 F2 00 27 01 00 00 00 00 00 00 00 28 FF FE 04 08 05 00 02 00 13 FF EA 64 00 00 64 FF"));
        rig.session.feed(password("open") + password(""));  // the empty one: what a cancelled prompt sends
        QCOMPARE(rig.out, hex("F1"));
        QCOMPARE(rig.model.sourceOf(2), 2);
        rig.session.feed(hex("F5 F5"));
        QCOMPARE(rig.out, hex("F1 F1") + PasswordRequestMessage() + hex("F1"));
        rig.out.clear();
        rig.session.feed(MessageBuilder(Cmd::Password).byte(0).byte(3).bytes("open up").finish());  // says 3 characters
        QCOMPARE(rig.out, QByteArray());
        rig.session.feed(password("open up"));
        QCOMPARE(rig.out, VersionMessage(1201));  // sent once open
        rig.out.clear();
        rig.session.feed(hex("F5") + password("open up"));
        QCOMPARE(rig.out, hex("F4"));
    }
};

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_simsession.moc"
