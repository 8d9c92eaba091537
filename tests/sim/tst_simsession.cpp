// The simulator's router model, its message builders and the per-connection protocol logic,
// driven with bytes and checked byte by byte.

#include "RouterModel.h"
#include "ServerMessages.h"
#include "SimSession.h"
#include "protocol/ByteManipulation.h"

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
    while (!stream.isEmpty()) {
        const QByteArray message = CutMessage(stream);
        if (message.isEmpty())
            break;
        out.append(message);
    }
    return out;
}

QByteArray passwordMessage(const QByteArray& text)
{
    return MessageBuilder(Cmd::Password).byte(0).byte(int(text.size())).bytes(text).finish();
}

// The info request of the panel: the mask in six 7-bit groups.
QByteArray infoRequestFor(qint64 mask)
{
    MessageBuilder m(Cmd::InfoRequest);
    for (int i = 0; i < 6; ++i)
        m.byte(int((mask >> (7 * i)) & 0x7F));
    for (int i = 0; i < 4; ++i)
        m.byte(0);
    return m.finish();
}

// A session with its own model, recording everything it writes.
class Rig {
public:
    explicit Rig(const RouterModel::Config& config = {}, SessionOptions options = {})
        : model(config)
        , session(model, std::move(options), callbacks())
    {
    }

    QByteArray output() const { return writes.join(); }
    QList<QByteArray> messages() const { return cutAll(output()); }
    void clear() { writes.clear(); }

    RouterModel model;
    QList<QByteArray> writes;
    int closeRequests = 0;
    SimSession session;

private:
    SessionCallbacks callbacks()
    {
        SessionCallbacks c;
        c.write = [this](const QByteArray& bytes) { writes.append(bytes); };
        c.close = [this] { ++closeRequests; };
        return c;
    }
};

// Expands an inhibit map message back into flags, reading it by its layout; false when the
// message does not hold what its counts say.
bool expandInhibitMap(const QByteArray& m, int& first, std::vector<std::vector<bool>>& rows)
{
    if (ByteAt(m, 0) != Cmd::InhibitMap || !ChecksumMatches(m))
        return false;
    const int count = Int14At(m, 2);
    first = Int14At(m, 4);
    qsizetype p = 6;
    rows.clear();
    for (int d = 0; d < count; ++d) {
        const int runs = Int14At(m, p);
        p += 2;
        std::vector<bool> row;
        for (int r = 0; r < runs; ++r) {
            std::uint8_t high = ByteAt(m, p + 1);
            const bool flag = SplitFlagByte(high) == 1;
            row.insert(row.end(), std::size_t(high * 128 + ByteAt(m, p)), flag);
            p += 2;
        }
        rows.push_back(row);
    }
    return p + 2 == m.size();
}

std::vector<bool> flags(std::initializer_list<std::pair<int, bool>> runs)
{
    std::vector<bool> out;
    for (const auto& [length, flag] : runs)
        out.insert(out.end(), std::size_t(length), flag);
    return out;
}

} // namespace

using Runs = std::vector<InhibitRun>;
using Flags = std::vector<bool>;
using Names = std::vector<QByteArray>;
Q_DECLARE_METATYPE(Runs)
Q_DECLARE_METATYPE(Flags)
Q_DECLARE_METATYPE(Names)
Q_DECLARE_METATYPE(SessionOptions)

class TestSimSession final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // --- builders ---
    void fixedMessages_data();
    void fixedMessages();
    void alphaTable_data();
    void alphaTable();
    void crosspointMapChunks();
    void inhibitRuns_data();
    void inhibitRuns();
    void inhibitMapRoundTrip_data();
    void inhibitMapRoundTrip();
    void salvoEvents();

    // --- model ---
    void modelDefaults();

    // --- session ---
    void pollAnswer_data();
    void pollAnswer();
    void infoRequest_data();
    void infoRequest();
    void crosspointChange_data();
    void crosspointChange();
    void takesGoToEveryPanel();
    void salvoExecute_data();
    void salvoExecute();
    void passwordGate();
    void typeRequestAndVersion();
    void closeAfter();
    void byteByByte();
    void noiseLetsPanelResync_data();
    void noiseLetsPanelResync();
    void inboundNoiseAndSplits();
    void receiveBufferIsBounded();
};

void TestSimSession::fixedMessages_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("take: source 5 to destination 2")
        << TakeMessage(4, 1) << hex("FE 04 08 04 00 01 00 11 FF");
    QTest::newRow("take: worked example") << TakeMessage(5, 2) << hex("FE 04 08 05 00 02 00 13 FF");
    QTest::newRow("take: destination 200") << TakeMessage(1, 200) << hex("FE 04 08 01 00 48 01 56 FF");
    QTest::newRow("take: OFF source") << TakeMessage(32, 3, TakeFieldOff) << hex("FE 00 08 20 00 03 00 2B FF");
    QTest::newRow("crosspoint map: one destination") << CrosspointMapMessage(3, {7})
                                                     << hex("F6 04 01 00 03 00 01 00 00 07 00 00 00 10 FF");
    QTest::newRow("crosspoint map: nothing routed") << CrosspointMapMessage(0, {-1, 2})
                                                    << hex("F6 04 02 00 00 00 00 00 00 01 00 00 02 00 00 00 09 FF");
    QTest::newRow("version 1301") << VersionMessage(1301) << hex("E5 01 00 00 15 0A 00 00 20 FF");
    QTest::newRow("type request") << TypeRequestMessage() << hex("81 64 64 FF");
    QTest::newRow("password request") << PasswordRequestMessage()
                                      << hex("F2 02 00 00 00 00 00 00 00 00 00 02 FF");
    QTest::newRow("no salvos") << SalvoEventsMessage({}) << hex("EB 00 00 00 00 00 00 FF");
    QTest::newRow("inhibit map: 5 inhibited, 128 allowed")
        << InhibitMapMessage(2, {flags({{5, true}}), flags({{128, false}}), {}})
        << hex("F8 00 03 00 02 00 01 00 05 40 01 00 00 01 00 00 4D FF");
}

void TestSimSession::fixedMessages()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestSimSession::alphaTable_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("start");
    QTest::addColumn<QByteArray>("expected");  // empty: check only the length and names

    QTest::newRow("padded and cut") << Names{"AB", "CDEFG"} << 4 << 0
                                    << hex("FC 0A 04 02 00 00 00 41 42 20 20 00 00 43 44 45 46 01 00 66 FF");
    QTest::newRow("start index") << Names{"A"} << 1 << 2 << hex("FC 0A 01 01 00 02 00 41 00 00 4F FF");
    QTest::newRow("high-bit byte") << Names{QByteArray("\xC4", 1)} << 1 << 0
                                   << hex("FC 0A 01 01 00 00 00 3F 00 00 4B FF");
    QTest::newRow("empty table") << Names{} << 8 << 0 << hex("FC 0A 08 00 00 00 00 12 FF");
    Names many;
    for (int i = 0; i < 300; ++i)
        many.push_back(RouterModel::defaultSourceName(i));
    QTest::newRow("300 names of 8") << many << 8 << 0 << QByteArray();
    QTest::newRow("300 names of 127") << many << 127 << 0 << QByteArray();
}

void TestSimSession::alphaTable()
{
    QFETCH(Names, names);
    QFETCH(int, length);
    QFETCH(int, start);
    QFETCH(QByteArray, expected);

    const QByteArray m = AlphaTableMessage(AlphaType::Sources, names, length, start);
    if (!expected.isEmpty())
        QCOMPARE(m.toHex(' '), expected.toHex(' '));
    const qsizetype n = qsizetype(names.size());
    QCOMPARE(m.size(), 9 + n * (length + 2));
    QVERIFY(ChecksumMatches(m));
    QCOMPARE(Int14At(m, 3), int(n));
    QCOMPARE(cutAll(m), QList<QByteArray>{m});  // seven-bit safe: the panel cuts it whole
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype at = 7 + k * (length + 2);
        QCOMPARE(m.mid(at, length).trimmed(), names[std::size_t(k)].left(length).trimmed()
                                                  .replace('\xC4', '?'));
        QCOMPARE(Int14At(m, at + length), int(k));
    }
}

void TestSimSession::crosspointMapChunks()
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
        // Last record of the chunk: its one entry names the right source.
        const qsizetype last = 6 + 7 * (counts[c] - 1);
        QCOMPARE(Int14At(m, last), 1);
        QCOMPARE(Int14At(m, last + 3), sources[std::size_t(int(c) * 1024 + counts[c] - 1)]);
    }
    QCOMPARE(CrosspointMapMessages({}, 1024).size(), std::size_t(0));
}

void TestSimSession::inhibitRuns_data()
{
    QTest::addColumn<Flags>("row");
    QTest::addColumn<Runs>("runs");

    QTest::newRow("no sources") << Flags{} << Runs{};
    QTest::newRow("all allowed") << flags({{32, false}}) << Runs{{32, false}};
    QTest::newRow("3 allowed, 2 inhibited, rest allowed")
        << flags({{3, false}, {2, true}, {27, false}}) << Runs{{3, false}, {2, true}, {27, false}};
    QTest::newRow("alternating") << flags({{1, true}, {1, false}, {1, true}})
                                 << Runs{{1, true}, {1, false}, {1, true}};
    QTest::newRow("longer than 127") << flags({{200, true}}) << Runs{{200, true}};
    QTest::newRow("exactly 8191") << flags({{8191, false}}) << Runs{{8191, false}};
    QTest::newRow("longer than 8191") << flags({{9000, false}}) << Runs{{8191, false}, {809, false}};
    QTest::newRow("twice 8191 and one") << flags({{16383, true}}) << Runs{{8191, true}, {8191, true}, {1, true}};
}

void TestSimSession::inhibitRuns()
{
    QFETCH(Flags, row);
    QFETCH(Runs, runs);
    QCOMPARE(InhibitRuns(row), runs);
}

void TestSimSession::inhibitMapRoundTrip_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<std::vector<Flags>>("rows");

    QTest::newRow("one destination, none inhibited") << 0 << std::vector<Flags>{flags({{16, false}})};
    QTest::newRow("range from 7") << 7
                                  << std::vector<Flags>{flags({{3, false}, {2, true}}), Flags{},
                                                        flags({{130, true}, {4, false}})};
    QTest::newRow("4096 wide") << 0
                               << std::vector<Flags>{flags({{4095, false}, {1, true}}),
                                                     flags({{1, true}, {4095, false}})};
    QTest::newRow("row of 9000") << 0 << std::vector<Flags>{flags({{8200, true}, {800, false}})};
}

void TestSimSession::inhibitMapRoundTrip()
{
    QFETCH(int, first);
    QFETCH(std::vector<Flags>, rows);

    const QByteArray m = InhibitMapMessage(first, rows);
    qsizetype expectedLength = 8;
    for (const Flags& row : rows)
        expectedLength += 2 + 2 * qsizetype(InhibitRuns(row).size());
    QCOMPARE(m.size(), expectedLength);
    QCOMPARE(cutAll(m), QList<QByteArray>{m});

    int decodedFirst = -1;
    std::vector<Flags> decoded;
    QVERIFY(expandInhibitMap(m, decodedFirst, decoded));
    QCOMPARE(decodedFirst, first);
    QCOMPARE(decoded, rows);
}

void TestSimSession::salvoEvents()
{
    std::vector<Salvo> salvos{{"FIRST", 130, {{1, 2}, {3, 4}}}, {"SECOND", 7, {}}};
    const QByteArray m = SalvoEventsMessage(salvos);
    QVERIFY(ChecksumMatches(m));
    QCOMPARE(m.size(), 8 + (4 + 2 * SalvoEventSize) + 4);
    QCOMPARE(Int14At(m, 2), 2);
    QCOMPARE(m.mid(6, 4), hex("02 01 02 00"));  // key 130, two events
    // The second record starts after the first one's 26 event bytes.
    QCOMPARE(Int14At(m, 36), 7);
    QCOMPARE(Int14At(m, 38), 0);
    // The first event: field, source, destination, then reserved zeros.
    QCOMPARE(m.mid(10, SalvoEventSize), hex("04 08 01 00 02 00 00 00 00 00 00 00 00"));
}

void TestSimSession::modelDefaults()
{
    RouterModel::Config config;
    config.systemType = 1351;
    config.sources = 100;
    config.destinations = 102;
    const RouterModel model(config);
    QCOMPARE(model.sourceNames().front(), QByteArray("SRC 01"));
    QCOMPARE(model.sourceNames().back(), QByteArray("SRC 100"));
    QCOMPARE(model.destinationNames()[9], QByteArray("DST 10"));
    QCOMPARE(model.offSource(), 100);
    QCOMPARE(model.sourceOf(99), 99);
    QCOMPARE(model.sourceOf(101), 1);  // wraps round the named sources, never onto OFF
    QCOMPARE(RouterModel().offSource(), -1);
}

void TestSimSession::pollAnswer_data()
{
    QTest::addColumn<SessionOptions>("options");
    QTest::addColumn<QByteArray>("answer");

    SessionOptions o;
    QTest::newRow("present") << o << hex("F4");
    o.switcherPresent = false;
    QTest::newRow("absent") << o << hex("F1");
    o = {};
    o.silent = true;
    QTest::newRow("silent") << o << QByteArray();
}

void TestSimSession::pollAnswer()
{
    QFETCH(SessionOptions, options);
    QFETCH(QByteArray, answer);
    Rig rig({}, options);
    rig.session.start();
    rig.session.feed(hex("F5"));
    QCOMPARE(rig.output().toHex(' '), answer.toHex(' '));
    // The panel's answer to a poll of the server is taken and not answered.
    rig.clear();
    rig.session.feed(hex("F4 F3 F1"));
    QCOMPARE(rig.output(), QByteArray());
}

void TestSimSession::infoRequest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QList<int>>("tables");  // table bits answered, in order

    const QList<int> all{Tables::SourceNames, Tables::DestinationNames, Tables::CrosspointMap,
                         Tables::InhibitMap, Tables::Salvos};
    QTest::newRow("all tables") << hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF") << all;
    QTest::newRow("inhibit map") << hex("F2 00 20 00 00 00 00 00 00 00 00 20 FF")
                                 << QList<int>{Tables::InhibitMap};
    QTest::newRow("retry of 0x1080") << hex("F2 00 21 00 00 00 00 00 00 00 00 21 FF")
                                     << QList<int>{Tables::CrosspointMap, Tables::InhibitMap};
    QTest::newRow("unknown bits only") << infoRequestFor(0x7F | (qint64(1) << 40)) << QList<int>{};
    QTest::newRow("password request mask") << PasswordRequestMessage() << QList<int>{};
    QTest::newRow("bad checksum") << hex("F2 00 27 01 00 00 00 00 00 00 00 29 FF") << QList<int>{};
    QTest::newRow("one byte short") << hex("F2 00 27 01 00 00 00 00 00 00 28 FF") << QList<int>{};
}

void TestSimSession::infoRequest()
{
    QFETCH(QByteArray, request);
    QFETCH(QList<int>, tables);

    RouterModel::Config config;
    config.inhibits = {{0, 1}, {31, 15}};
    config.salvos = {{"SALVO A", 0, {{1, 1}}}, {"SALVO B", 3, {}}};
    Rig rig(config);
    rig.session.start();
    rig.session.feed(request);

    QList<QByteArray> expected;
    for (const int bit : tables)
        for (const QByteArray& m : TableMessages(rig.model, bit))
            expected.append(m);
    QCOMPARE(rig.messages(), expected);
    if (tables.contains(Tables::Salvos)) {
        // Salvos come as the type 50 alpha table and the salvo events.
        QCOMPARE(ByteAt(expected.at(expected.size() - 2), 1), std::uint8_t(AlphaType::Salvos));
        QCOMPARE(ByteAt(expected.last(), 0), Cmd::SalvoEvents);
    }
}

void TestSimSession::crosspointChange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("change");
    QTest::addColumn<QByteArray>("take");  // empty: refused
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("source");       // source of the destination afterwards

    QTest::newRow("worked example") << 1201 << hex("FE 04 08 05 00 02 00 13 FF")
                                    << hex("FE 04 08 05 00 02 00 13 FF") << 2 << 5;
    QTest::newRow("field not examined") << 1201 << hex("FE 00 00 05 00 02 00 07 FF")
                                        << hex("FE 04 08 05 00 02 00 13 FF") << 2 << 5;
    QTest::newRow("OFF on 1301") << 1301 << hex("FE 00 08 7F 7F 02 00 08 FF") << TakeMessage(32, 2, TakeFieldOff)
                                 << 2 << 32;
    QTest::newRow("OFF on 1201") << 1201 << hex("FE 00 08 7F 7F 02 00 08 FF") << QByteArray() << 2 << 2;
    QTest::newRow("inhibited") << 1201 << hex("FE 04 08 07 00 03 00 16 FF") << QByteArray() << 3 << 3;
    QTest::newRow("destination past the end") << 1201 << hex("FE 04 08 05 00 10 00 21 FF") << QByteArray()
                                              << 0 << 0;
    QTest::newRow("bad checksum") << 1201 << hex("FE 04 08 05 00 02 00 14 FF") << QByteArray() << 2 << 2;
    QTest::newRow("one byte long") << 1201 << hex("FE 04 08 05 00 02 00 00 13 FF") << QByteArray() << 2 << 2;
}

void TestSimSession::crosspointChange()
{
    QFETCH(int, type);
    QFETCH(QByteArray, change);
    QFETCH(QByteArray, take);
    QFETCH(int, destination);
    QFETCH(int, source);

    RouterModel::Config config;
    config.systemType = type;
    config.inhibits = {{7, 3}};
    Rig rig(config);
    rig.session.start();
    rig.session.feed(change);
    QCOMPARE(rig.output().toHex(' '), take.toHex(' '));
    QCOMPARE(rig.model.sourceOf(destination), source);
}

void TestSimSession::takesGoToEveryPanel()
{
    RouterModel model;
    QList<QByteArray> out[3];
    std::vector<std::unique_ptr<SimSession>> sessions;
    for (int i = 0; i < 3; ++i) {
        SessionOptions options;
        if (i == 2)
            options.password = "secret";  // not logged in: gets no takes
        SessionCallbacks callbacks;
        callbacks.write = [&out, i](const QByteArray& b) { out[i].append(b); };
        callbacks.broadcastTake = [&sessions](const Crosspoint& c, int field) {
            for (auto& s : sessions)
                s->reportTake(c, field);
        };
        sessions.push_back(std::make_unique<SimSession>(model, options, callbacks));
        sessions.back()->start();
    }
    out[2].clear();

    sessions[1]->feed(hex("FE 04 08 05 00 02 00 13 FF"));
    const QByteArray take = hex("FE 04 08 05 00 02 00 13 FF");
    QCOMPARE(out[0], QList<QByteArray>{take});
    QCOMPARE(out[1], QList<QByteArray>{take});
    QCOMPARE(out[2], QList<QByteArray>{});
}

void TestSimSession::salvoExecute_data()
{
    QTest::addColumn<QByteArray>("execute");
    QTest::addColumn<QList<QByteArray>>("takes");

    QTest::newRow("salvo 3, one change inhibited")
        << hex("EA 64 03 00 67 FF") << QList<QByteArray>{TakeMessage(0, 0), TakeMessage(4, 5)};
    QTest::newRow("salvo with OFF") << hex("EA 64 01 00 65 FF") << QList<QByteArray>{TakeMessage(8, 6, TakeFieldOff)};
    QTest::newRow("salvo without changes") << hex("EA 64 00 00 64 FF") << QList<QByteArray>{};
    QTest::newRow("unknown salvo") << hex("EA 64 04 00 68 FF") << QList<QByteArray>{};
    QTest::newRow("salvo 130 unknown") << hex("EA 64 02 01 67 FF") << QList<QByteArray>{};
    QTest::newRow("second byte not 0x64") << hex("EA 65 03 00 68 FF") << QList<QByteArray>{};
    QTest::newRow("bad checksum") << hex("EA 64 03 00 66 FF") << QList<QByteArray>{};
}

void TestSimSession::salvoExecute()
{
    QFETCH(QByteArray, execute);
    QFETCH(QList<QByteArray>, takes);

    RouterModel::Config config;
    config.sources = 8;
    config.destinations = 8;
    config.systemType = 1301;
    config.inhibits = {{6, 1}};
    config.salvos = {{"EMPTY", 0, {}}, {"OFF 7", 0, {{8, 6}}}, {"KEYED", 5, {{2, 2}}},
                     {"ALL", 0, {{0, 0}, {6, 1}, {4, 5}}}};
    Rig rig(config);
    rig.session.start();
    const std::vector<int> before = rig.model.crosspoints();
    rig.session.feed(execute);
    QCOMPARE(rig.messages(), takes);
    std::vector<int> after = before;
    for (const QByteArray& take : takes)
        after[std::size_t(Int14At(take, 5))] = Int14At(take, 3);
    QCOMPARE(rig.model.crosspoints(), after);
}

void TestSimSession::passwordGate()
{
    SessionOptions options;
    options.password = "open up";
    options.sendVersion = true;
    Rig rig({}, options);
    rig.session.start();
    QCOMPARE(rig.messages(), QList<QByteArray>{PasswordRequestMessage()});
    QVERIFY(!rig.session.loggedIn());

    // Until the password arrives nothing is answered or done; while the request waits for its
    // answer, polls do not ask again.
    rig.clear();
    rig.session.feed(hex("F5") + hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF") + hex("FE 04 08 05 00 02 00 13 FF")
                     + hex("EA 64 00 00 64 FF"));
    QCOMPARE(rig.output(), QByteArray());
    QCOMPARE(rig.model.sourceOf(2), 2);

    // Wrong passwords (also the empty one a cancelled prompt sends) are not answered; the next
    // poll asks again.
    rig.session.feed(passwordMessage("open"));
    rig.session.feed(hex("80 00 00 00 FF"));
    rig.session.feed(passwordMessage("open up").replace(3, 1, "O"));  // checksum now wrong
    QCOMPARE(rig.output(), QByteArray());
    QVERIFY(!rig.session.loggedIn());
    QCOMPARE(rig.session.messagesDropped(), 1);
    rig.session.feed(hex("F5 F5"));
    QCOMPARE(rig.messages(), QList<QByteArray>{PasswordRequestMessage()});
    rig.clear();

    rig.session.feed(passwordMessage("open up"));
    QVERIFY(rig.session.loggedIn());
    QCOMPARE(rig.messages(), QList<QByteArray>{VersionMessage(1201)});  // sent once open
    rig.clear();
    rig.session.feed(hex("F5"));
    rig.session.feed(passwordMessage("open up"));  // again: nothing new
    QCOMPARE(rig.output(), hex("F4"));
}

void TestSimSession::typeRequestAndVersion()
{
    SessionOptions options;
    options.sendTypeRequest = true;
    options.sendVersion = true;
    RouterModel::Config config;
    config.systemType = 1351;
    Rig rig(config, options);
    rig.session.start();
    QCOMPARE(rig.output(), hex("81 64 64 FF") + hex("E5 01 00 00 47 0A 00 00 52 FF"));

    rig.clear();
    rig.session.feed(hex("81 06 01 08 FF"));  // wrong checksum
    QVERIFY(!rig.session.typeReplyReceived());
    rig.session.feed(hex("81 06 01 07 FF"));
    QVERIFY(rig.session.typeReplyReceived());
    QCOMPARE(rig.output(), QByteArray());
}

void TestSimSession::closeAfter()
{
    SessionOptions options;
    options.closeAfter = 3;
    Rig rig({}, options);
    rig.session.start();
    rig.session.feed(hex("F5 F5"));
    QCOMPARE(rig.closeRequests, 0);
    rig.session.feed(hex("F5 F5 F5"));  // the third is answered, then the session closes
    QCOMPARE(rig.closeRequests, 1);
    QVERIFY(rig.session.closing());
    QCOMPARE(rig.output(), hex("F4 F4 F4"));
    rig.session.feed(hex("F5"));
    rig.session.reportTake({1, 1}, TakeField);
    QCOMPARE(rig.output(), hex("F4 F4 F4"));
    QCOMPARE(rig.closeRequests, 1);
}

void TestSimSession::byteByByte()
{
    const QByteArray request = hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF");
    Rig whole;
    whole.session.start();
    whole.session.feed(request);

    SessionOptions options;
    options.byteByByte = true;
    Rig split({}, options);
    split.session.start();
    split.session.feed(request);

    QCOMPARE(split.output(), whole.output());
    QCOMPARE(split.writes.size(), split.output().size());
}

void TestSimSession::noiseLetsPanelResync_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("byteByByte");
    for (quint32 seed : {1u, 2u, 77u, 4242u})
        QTest::addRow("seed %u", seed) << seed << false;
    QTest::newRow("seed 9, byte by byte") << 9u << true;
}

void TestSimSession::noiseLetsPanelResync()
{
    QFETCH(quint32, seed);
    QFETCH(bool, byteByByte);

    const QByteArray traffic = hex("F2 00 27 01 00 00 00 00 00 00 00 28 FF") + hex("F5")
                               + hex("FE 04 08 05 00 02 00 13 FF") + hex("F5 F5");
    RouterModel::Config config;
    config.salvos = {{"S", 0, {{3, 4}}}};
    Rig clean(config);
    clean.session.start();
    clean.session.feed(traffic);

    SessionOptions options;
    options.noise = true;
    options.noiseSeed = seed;
    options.byteByByte = byteByByte;
    Rig noisy(config, options);
    noisy.session.start();
    noisy.session.feed(traffic);
    QVERIFY(noisy.output().size() > clean.output().size());

    // The panel cuts the stream one arrival at a time; the stray bytes come out as messages it
    // ignores (0xF3, a lone 0xFF), everything else exactly as sent without noise.
    QByteArray buffer;
    QList<QByteArray> received;
    for (const QByteArray& arrival : noisy.writes) {
        buffer.append(arrival);
        for (QByteArray m = CutMessage(buffer); !m.isEmpty(); m = CutMessage(buffer))
            if (m != hex("F3") && m != hex("FF"))
                received.append(m);
    }
    QCOMPARE(received, clean.messages());
    QVERIFY(buffer.isEmpty());
}

void TestSimSession::inboundNoiseAndSplits()
{
    Rig rig;
    rig.session.start();
    // Noise before a poll, a message broken by a command byte, a change split over arrivals.
    rig.session.feed(hex("01 02 F5"));
    rig.session.feed(hex("FE 04 08 F5"));
    const QByteArray change = hex("FE 04 08 05 00 02 00 13 FF");
    for (const char byte : change)
        rig.session.feed(QByteArray(1, byte));
    QCOMPARE(rig.output(), hex("F4 F4") + change);
    QCOMPARE(rig.session.bufferedBytes(), 0);
}

void TestSimSession::receiveBufferIsBounded()
{
    SessionOptions options;
    options.maxReceiveBuffer = 1024;
    Rig rig({}, options);
    rig.session.start();

    // A frame that never ends: the buffer is dropped once it passes the bound.
    rig.session.feed(hex("E9") + QByteArray(600, '\x01'));
    QCOMPARE(rig.session.receiveOverflows(), 0);
    rig.session.feed(QByteArray(600, '\x02'));
    QCOMPARE(rig.session.receiveOverflows(), 1);
    QCOMPARE(rig.session.bufferedBytes(), 0);
    // The stream resyncs on the next command byte.
    rig.session.feed(QByteArray(100, '\x03') + hex("F5"));
    QCOMPARE(rig.output(), hex("F4"));

    // Many whole messages in one arrival are all handled, none of it counts against the bound.
    rig.clear();
    rig.session.feed(QByteArray(5000, '\xF5'));
    QCOMPARE(rig.output(), QByteArray(5000, '\xF4'));
    QCOMPARE(rig.session.receiveOverflows(), 1);

    // The default bound is 1 MiB: exactly that much is kept, one byte more is not.
    Rig big;
    big.session.start();
    big.session.feed(hex("E9") + QByteArray(64 * 1024 - 1, '\x01'));
    for (int i = 1; i < 16; ++i)
        big.session.feed(QByteArray(64 * 1024, '\x01'));
    QCOMPARE(big.session.bufferedBytes(), 1024 * 1024);
    QCOMPARE(big.session.receiveOverflows(), 0);
    big.session.feed(QByteArray(1, '\x01'));
    QCOMPARE(big.session.receiveOverflows(), 1);
}

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_simsession.moc"
