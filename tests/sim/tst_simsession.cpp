// The simulator's wire format and one connection's replies, driven with bytes and checked byte by
// byte. Its behaviour over sockets, as the panel meets it, is covered by tests/integration.

#include "RouterModel.h"
#include "ServerMessages.h"
#include "SimSession.h"
#include "codec/ByteManipulation.h"

#include <QTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Cuts a byte stream into messages the way the panel does.
QList<QByteArray> cutAll(QByteArray stream)
{
    QList<QByteArray> out;
    for (QByteArray m = CutMessage(stream); !m.isEmpty(); m = CutMessage(stream))
        out.append(m);
    return out;
}

QByteArray passwordMessage(const QByteArray& text)
{
    return MessageBuilder(Cmd::Password).byte(0).byte(int(text.size())).bytes(text).finish();
}

std::vector<bool> flags(std::initializer_list<std::pair<int, bool>> runs)
{
    std::vector<bool> out;
    for (const auto& [length, flag] : runs)
        out.insert(out.end(), std::size_t(length), flag);
    return out;
}

// The 32 x 16 default router: source 7 inhibited on destination 3, source 6 on destination 1.
RouterModel::Config router(int type)
{
    RouterModel::Config c;
    c.systemType = type;
    c.inhibits = {{7, 3}, {6, 1}};
    c.salvos = {{"EMPTY", 0, {}}, {"OFF", 0, {{32, 6}}}, {"KEYED", 5, {{2, 2}}},
                {"ALL", 0, {{0, 0}, {6, 1}, {4, 5}}}};
    return c;
}

// A session with its own model, recording everything it writes.
class Rig {
public:
    explicit Rig(const RouterModel::Config& config = {}, SessionOptions options = {})
        : model(config)
        , session(model, std::move(options), callbacks())
    {
        session.start();
    }

    QByteArray output() const { return writes.join(); }
    QList<QByteArray> messages() const { return cutAll(output()); }
    void clear() { writes.clear(); }

    RouterModel model;
    QList<QByteArray> writes;
    SimSession session;

private:
    SessionCallbacks callbacks()
    {
        SessionCallbacks c;
        c.write = [this](const QByteArray& bytes) { writes.append(bytes); };
        return c;
    }
};

} // namespace

using Runs = std::vector<InhibitRun>;
using Names = std::vector<QByteArray>;
Q_DECLARE_METATYPE(Runs)
Q_DECLARE_METATYPE(SessionOptions)

class TestSimSession final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the simulator sends, byte for byte.
    void messages_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("take: worked example") << TakeMessage(5, 2) << hex("FE 04 08 05 00 02 00 13 FF");
        QTest::newRow("take: destination 200") << TakeMessage(1, 200) << hex("FE 04 08 01 00 48 01 56 FF");
        QTest::newRow("take: OFF source") << TakeMessage(32, 3, TakeFieldOff) << hex("FE 00 08 20 00 03 00 2B FF");
        QTest::newRow("crosspoint map: one destination")
            << CrosspointMapMessage(3, {7}) << hex("F6 04 01 00 03 00 01 00 00 07 00 00 00 10 FF");
        QTest::newRow("crosspoint map: nothing routed")
            << CrosspointMapMessage(0, {-1, 2}) << hex("F6 04 02 00 00 00 00 00 00 01 00 00 02 00 00 00 09 FF");
        QTest::newRow("names: padded and cut") << AlphaTableMessage(AlphaType::Sources, Names{"AB", "CDEFG"}, 4)
                                               << hex("FC 0A 04 02 00 00 00 41 42 20 20 00 00 43 44 45 46 01 00 66 FF");
        QTest::newRow("names: start index") << AlphaTableMessage(AlphaType::Sources, Names{"A"}, 1, 2)
                                            << hex("FC 0A 01 01 00 02 00 41 00 00 4F FF");
        QTest::newRow("names: high-bit byte sent as ?")
            << AlphaTableMessage(AlphaType::Sources, Names{QByteArray("\xC4", 1)}, 1)
            << hex("FC 0A 01 01 00 00 00 3F 00 00 4B FF");
        QTest::newRow("names: empty table") << AlphaTableMessage(AlphaType::Sources, Names{}, 8)
                                            << hex("FC 0A 08 00 00 00 00 12 FF");
        QTest::newRow("inhibit map: 5 inhibited, 128 allowed")
            << InhibitMapMessage(2, {flags({{5, true}}), flags({{128, false}}), {}})
            << hex("F8 00 03 00 02 00 01 00 05 40 01 00 00 01 00 00 4D FF");
        QTest::newRow("salvo events: key 130 with two changes, key 7 with none")
            << SalvoEventsMessage({{"FIRST", 130, {{1, 2}, {3, 4}}}, {"SECOND", 7, {}}})
            << hex("EB 00 02 00 00 00 02 01 02 00 04 08 01 00 02 00 00 00 00 00 00 00 00 04 08 03 00 04 00"
                   " 00 00 00 00 00 00 00 07 00 00 00 30 FF");
        QTest::newRow("no salvos") << SalvoEventsMessage({}) << hex("EB 00 00 00 00 00 00 FF");
        QTest::newRow("version 1301") << VersionMessage(1301) << hex("E5 01 00 00 15 0A 00 00 20 FF");
        QTest::newRow("type request") << TypeRequestMessage() << hex("81 64 64 FF");
        QTest::newRow("password request") << PasswordRequestMessage() << hex("F2 02 00 00 00 00 00 00 00 00 00 02 FF");
    }
    void messages()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    // Runs longer than 13 bits are split.
    void inhibitRuns_data()
    {
        QTest::addColumn<std::vector<bool>>("row");
        QTest::addColumn<Runs>("runs");
        QTest::newRow("3 allowed, 2 inhibited, rest allowed")
            << flags({{3, false}, {2, true}, {27, false}}) << Runs{{3, false}, {2, true}, {27, false}};
        QTest::newRow("exactly 8191") << flags({{8191, false}}) << Runs{{8191, false}};
        QTest::newRow("twice 8191 and one") << flags({{16383, true}}) << Runs{{8191, true}, {8191, true}, {1, true}};
    }
    void inhibitRuns()
    {
        QFETCH(std::vector<bool>, row);
        QTEST(InhibitRuns(row), "runs");
    }

    // A large map comes in chunks of 1024 destinations, each naming its first destination.
    void crosspointMapChunks()
    {
        std::vector<int> sources(2500);
        for (std::size_t i = 0; i < sources.size(); ++i)
            sources[i] = int(i % 4096);
        const std::vector<QByteArray> chunks = CrosspointMapMessages(sources, 1024);
        QCOMPARE(chunks.size(), std::size_t(3));
        const int counts[] = {1024, 1024, 452};
        for (std::size_t c = 0; c < chunks.size(); ++c) {
            const QByteArray& m = chunks[c];
            QVERIFY(ChecksumMatches(m));
            QCOMPARE(Int14At(m, 2), counts[c]);
            QCOMPARE(Int14At(m, 4), int(c) * 1024);
            QCOMPARE(m.size(), 8 + 7 * counts[c]);
            QCOMPARE(Int14At(m, 6 + 7 * (counts[c] - 1) + 3), sources[std::size_t(int(c) * 1024 + counts[c] - 1)]);
        }
    }

    // One connection's replies to what a panel sends, whole or split into single bytes; the router
    // changes exactly as the takes reported.
    void replies_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<SessionOptions>("options");
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("sent");

        const SessionOptions normal;
        SessionOptions absent;
        absent.switcherPresent = false;
        SessionOptions silent;
        silent.silent = true;
        const QByteArray change = hex("FE 04 08 05 00 02 00 13 FF");
        QTest::newRow("poll") << 1201 << normal << hex("F5") << hex("F4");
        QTest::newRow("poll, switcher absent") << 1201 << absent << hex("F5") << hex("F1");
        QTest::newRow("poll, silent") << 1201 << silent << hex("F5") << QByteArray();
        QTest::newRow("the panel's poll answers are not answered") << 1201 << normal << hex("F4 F3 F1") << QByteArray();
        QTest::newRow("noise and a frame broken by a poll")
            << 1201 << normal << hex("01 02 F5 FE 04 08 F5") + change << hex("F4 F4") + change;
        QTest::newRow("change: worked example") << 1201 << normal << change << change;
        QTest::newRow("change: field not examined") << 1201 << normal << hex("FE 00 00 05 00 02 00 07 FF") << change;
        QTest::newRow("change: OFF on 1301") << 1301 << normal << hex("FE 00 08 7F 7F 02 00 08 FF")
                                             << TakeMessage(32, 2, TakeFieldOff);
        QTest::newRow("change: OFF on 1201 refused") << 1201 << normal << hex("FE 00 08 7F 7F 02 00 08 FF") << QByteArray();
        QTest::newRow("change: inhibited") << 1201 << normal << hex("FE 04 08 07 00 03 00 16 FF") << QByteArray();
        QTest::newRow("change: destination past the end") << 1201 << normal << hex("FE 04 08 05 00 10 00 21 FF")
                                                          << QByteArray();
        QTest::newRow("change: bad checksum") << 1201 << normal << hex("FE 04 08 05 00 02 00 14 FF") << QByteArray();
        QTest::newRow("change: one byte long") << 1201 << normal << hex("FE 04 08 05 00 02 00 00 13 FF") << QByteArray();
        QTest::newRow("salvo 3, one change inhibited") << 1301 << normal << hex("EA 64 03 00 67 FF")
                                                       << TakeMessage(0, 0) + TakeMessage(4, 5);
        QTest::newRow("salvo with OFF") << 1301 << normal << hex("EA 64 01 00 65 FF") << TakeMessage(32, 6, TakeFieldOff);
        QTest::newRow("salvo without changes") << 1301 << normal << hex("EA 64 00 00 64 FF") << QByteArray();
        QTest::newRow("unknown salvo") << 1301 << normal << hex("EA 64 04 00 68 FF") << QByteArray();
        QTest::newRow("salvo: second byte not 0x64") << 1301 << normal << hex("EA 65 03 00 68 FF") << QByteArray();
        QTest::newRow("salvo: bad checksum") << 1301 << normal << hex("EA 64 03 00 66 FF") << QByteArray();
    }
    void replies()
    {
        QFETCH(int, type);
        QFETCH(SessionOptions, options);
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, sent);

        for (const bool split : {false, true}) {
            Rig rig(router(type), options);
            std::vector<int> expected = rig.model.crosspoints();
            if (split) {
                for (const char byte : received)
                    rig.session.feed(QByteArray(1, byte));
            } else {
                rig.session.feed(received);
            }
            QCOMPARE(rig.output().toHex(' '), sent.toHex(' '));
            QCOMPARE(rig.session.bufferedBytes(), 0);
            for (const QByteArray& m : cutAll(sent))
                if (ByteAt(m, 0) == Cmd::Take)
                    expected[std::size_t(Int14At(m, 5))] = Int14At(m, 3);
            QCOMPARE(rig.model.crosspoints(), expected);
        }
    }

    // The tables an info request asks for, in the order the panel expects them.
    void infoRequest_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QList<int>>("tables");

        QTest::newRow("all tables") << hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF")
                                    << QList<int>{Tables::SourceNames, Tables::DestinationNames, Tables::CrosspointMap,
                                                  Tables::InhibitMap, Tables::Salvos};
        QTest::newRow("retry of 0x1080") << hex("F2 00 21 00 00 00 00 00 00 00 00 21 FF")
                                         << QList<int>{Tables::CrosspointMap, Tables::InhibitMap};
        QTest::newRow("unknown bits only") << hex("F2 7F 00 00 00 00 20 00 00 00 00 1F FF") << QList<int>{};
        QTest::newRow("password request mask") << PasswordRequestMessage() << QList<int>{};
        QTest::newRow("bad checksum") << hex("F2 00 27 01 00 00 00 00 00 00 00 29 FF") << QList<int>{};
        QTest::newRow("one byte short") << hex("F2 00 27 01 00 00 00 00 00 00 28 FF") << QList<int>{};
    }
    void infoRequest()
    {
        QFETCH(QByteArray, request);
        QFETCH(QList<int>, tables);
        Rig rig(router(1201));
        rig.session.feed(request);
        QList<QByteArray> expected;
        for (const int bit : tables)
            for (const QByteArray& m : TableMessages(rig.model, bit))
                expected.append(m);
        QCOMPARE(rig.messages(), expected);
    }

    // Until the right password arrives only polls are answered (switcher absent) and nothing is
    // done. A request waiting for its answer is not sent again (a second prompt popped up right
    // after the operator typed the password); after a wrong one the next poll asks again.
    void passwordGate()
    {
        SessionOptions options;
        options.password = "open up";
        options.sendVersion = true;
        Rig rig({}, options);
        QCOMPARE(rig.messages(), QList<QByteArray>{PasswordRequestMessage()});
        QVERIFY(!rig.session.loggedIn());

        rig.clear();
        rig.session.feed(hex("F5") + hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF") + hex("FE 04 08 05 00 02 00 13 FF")
                         + hex("EA 64 00 00 64 FF"));
        QCOMPARE(rig.output(), hex("F1"));
        rig.clear();
        QCOMPARE(rig.model.sourceOf(2), 2);

        // Wrong passwords (also the empty one a cancelled prompt sends) are not answered.
        rig.session.feed(passwordMessage("open"));
        rig.session.feed(hex("80 00 00 00 FF"));
        rig.session.feed(passwordMessage("open up").replace(3, 1, "O"));  // checksum now wrong
        QCOMPARE(rig.output(), QByteArray());
        QVERIFY(!rig.session.loggedIn());
        QCOMPARE(rig.session.messagesDropped(), 1);
        rig.session.feed(hex("F5 F5"));
        QCOMPARE(rig.messages(), (QList<QByteArray>{hex("F1"), PasswordRequestMessage(), hex("F1")}));
        rig.clear();

        rig.session.feed(passwordMessage("open up"));
        QVERIFY(rig.session.loggedIn());
        QCOMPARE(rig.messages(), QList<QByteArray>{VersionMessage(1201)});  // sent once open
        rig.clear();
        rig.session.feed(hex("F5"));
        rig.session.feed(passwordMessage("open up"));  // again: nothing new
        QCOMPARE(rig.output(), hex("F4"));
    }

    // A frame that never ends is thrown away once it passes the bound; whole messages in one
    // arrival never count against it.
    void receiveBufferIsBounded()
    {
        SessionOptions options;
        options.maxReceiveBuffer = 1024;
        Rig rig({}, options);
        rig.session.feed(hex("E9") + QByteArray(600, '\x01'));
        QCOMPARE(rig.session.receiveOverflows(), 0);
        rig.session.feed(QByteArray(600, '\x02'));
        QCOMPARE(rig.session.receiveOverflows(), 1);
        QCOMPARE(rig.session.bufferedBytes(), 0);
        rig.session.feed(QByteArray(100, '\x03') + hex("F5"));
        QCOMPARE(rig.output(), hex("F4"));

        rig.clear();
        rig.session.feed(QByteArray(5000, '\xF5'));
        QCOMPARE(rig.output(), QByteArray(5000, '\xF4'));
        QCOMPARE(rig.session.receiveOverflows(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_simsession.moc"
