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
    // The inhibit map's runs hold at most 13 bits of length: a longer run is split.
    void messages()
    {
        QCOMPARE(InhibitMapMessage(0, {std::vector<bool>(16383, true)}).toHex(' '),
                 hex("F8 00 01 00 00 00 03 00 7F 7F 7F 7F 01 40 41 FF").toHex(' '));
    }

    // One connection's replies to what a panel sends, whole or split into single bytes; the router
    // changes exactly as the takes reported.
    void replies_data()
    {
        Columns<int, QByteArray, QByteArray>("type", "received", "sent");
        const auto row = [](const char* name, int type, const char* received, const QByteArray& sent) {
            QTest::newRow(name) << type << hex(received) << sent;
        };
        Rig fresh(1201);
        QByteArray tables;  // in the order the panel expects them
        for (const int bit : {Tables::SourceNames, Tables::DestinationNames, Tables::CrosspointMap, Tables::InhibitMap, Tables::Salvos})
            for (const QByteArray& m : TableMessages(fresh.model, bit))
                tables += m;
        row("change: OFF on 1301", 1301, "FE 00 08 7F 7F 02 00 08 FF", hex("FE 00 08 20 00 02 00 2A FF"));
        row("salvo 3, one change inhibited", 1301, "EA 64 03 00 67 FF", hex("FE 04 08 00 00 00 00 0C FF FE 04 08 04 00 05 00 15 FF"));
        row("info request: every table", 1201, "F2 00 27 01 00 00 00 00 00 00 00 28 FF", tables);
    }
    void replies()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, sent);
        for (const int step : {int(received.size()), 1}) {
            Rig rig(type);
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
