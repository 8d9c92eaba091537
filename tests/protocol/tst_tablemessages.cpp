// The table messages through the dispatcher, one table of rows: the panel as the row sets it up,
// the message, and what the message left, as text (see Rig::after).

#include "codec/ByteManipulation.h"
#include "protocol/Dispatcher.h"
#include "protocol/Messages.h"
#include "support/Fakes.h"

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// Command and data bytes, framed with their checksum and 0xFF; and a message made wrong.
QByteArray framed(const QByteArray& body) { return MessageBuilder(std::uint8_t(body.at(0))).bytes(body.mid(1)).finish(); }
QByteArray withoutLast(const QByteArray& message, int dataBytes) { return framed(message.chopped(2 + dataBytes)); }
QByteArray withExtra(const QByteArray& message, int dataBytes) { return framed(message.chopped(2) + QByteArray(dataBytes, '\0')); }
QByteArray badChecksum(QByteArray message)
{
    message[message.size() - 2] = char((message[message.size() - 2] + 1) & 0x7F);
    return message;
}

// Alpha table of the names "b,A,c" padded to the longest, with channels 0, 1, 2 ... unless given.
QByteArray alpha(int type, const char* names, QList<int> channels = {}, int start = 0)
{
    const QStringList list = QString::fromLatin1(names).split(u',');
    const qsizetype length = std::max_element(list.begin(), list.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size();
    MessageBuilder b(Cmd::AlphaTable);
    b.byte(type).byte(int(length)).int14(int(list.size())).int14(start);
    for (int i = 0; i < list.size(); ++i)
        b.bytes(list[i].leftJustified(length).toLatin1()).int14(channels.value(i, i));
    return b.finish();
}
QByteArray sameNames(int type, int n) { return alpha(type, QByteArray(",x").repeated(n).mid(1).constData()); }

// Crosspoint map: records given as {map byte, then per entry [marker,] channel, A[, B]}.
QByteArray crosspointMap(int form, int first, const QList<QList<int>>& records, int entryWords = 2)
{
    const bool markers = form & 0x40;
    const int perEntry = entryWords + (markers ? 1 : 0);
    MessageBuilder b(Cmd::CrosspointMap);
    b.byte(form).int14(int(records.size())).int14(first);
    for (const QList<int>& r : records) {
        b.int14(int((r.size() - 1) / perEntry)).byte(r[0]);
        for (qsizetype i = 1; i < r.size(); ++i)
            markers && (i - 1) % perEntry == 0 ? b.byte(r[i]) : b.int14(r[i]);
    }
    return b.finish();
}
QByteArray oneCrosspoint(int destination, int source) { return crosspointMap(4, destination, {{0, source, 0}}); }
QByteArray take(int source, int destination) { return MessageBuilder(Cmd::Take).int14(1028).int14(source).int14(destination).finish(); }

template <class C> QString joined(const C& items, qsizetype most = 1 << 20)
{
    QStringList out;
    for (const auto& item : items)
        if (out.size() < most)
            out << QVariant::fromValue(item).toString();
    return out.join(u' ');
}

// A panel in TCP/IP mode with the start-up tables (256 x 256), source 2 inhibited on destination 2,
// every destination fed by source 77, one salvo "Night" of key 9.
struct Rig : TestPanel {
    Rig()
    {
        InitVariables(s, server);
        s.TcpIpMode = s.Connected = link.connected = true;
        s.DisplayList.clear();
        s.setInhibit(2, 2, true);
        for (OutputStatusRecord& r : s.OutputStatus)
            r.Sources[0] = 77;
        s.NumSalvos = 1;
        s.SalvoKeys = {9};
        s.SalvoAlphaList = {QStringLiteral("Night")};
    }
    // "key=value ...": type, inputs (NumInputs), dl (DisplayList), pending (hex), controlled,
    // index (OutputListIndex), populated, current (source of the controlled destination), all (the
    // box shows every source), off (OffListIndex), and box=N: a source box of N entries over four
    // sources (A, B, C and the hidden {D at channels 2 0 3 1) with controlled destination 1 on
    // source 0, which destination 4 ("STUDIO B", position 0) may feed; held: the boxes and dialogs
    // stay open while the message is handled, and are answered after it.
    void setUp(const QString& line)
    {
        for (const QString& item : line.split(u' ', Qt::SkipEmptyParts)) {
            const QString key = item.section(u'=', 0, 0);
            const QString text = item.section(u'=', 1);
            const int value = text.toInt(nullptr, key == u"pending" ? 16 : 10);
            if (key == u"type") s.SystemType = value;
            else if (key == u"inputs") s.NumInputs = value;
            else if (key == u"dl") s.DisplayList = text;
            else if (key == u"pending") s.PendingTables = value;
            else if (key == u"controlled") s.OutputControlled = value;
            else if (key == u"index") s.OutputListIndex = value;
            else if (key == u"populated") s.PanelPopulated = true;
            else if (key == u"current") s.OutputStatus[std::size_t(s.OutputControlled)].Sources[0] = value;
            else if (key == u"all") s.ListShowsAll = true;
            else if (key == u"off") s.OffListIndex = value;
            else if (key == u"held") prompts.hold = true;
            else if (key == u"box") {
                s.NumInputs = 4;
                s.ComboAlphaList = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("{D")};
                s.ComboChannelList = {2, 0, 3, 1};
                for (int i = 0; i < value; ++i)
                    view.addSourceItem(QStringLiteral("entry %1").arg(i));
                s.OutputControlled = 1;
                s.OutputStatus[1].Sources[0] = 0;
                s.SourceListIndex = 0;
                hasBox = true;
                s.OutputAlphaList[0] = QStringLiteral("STUDIO B");
                s.OutputPosition.assign(256, 1);
                s.OutputPosition[4] = 0;
            } else QFAIL(qPrintable(item));
        }
    }
    bool hasBox = false;
    QString inhibits() const
    {
        QStringList out;
        for (int src = 0; src < s.InhibitSources; ++src)
            for (int dst = 0; dst < s.InhibitDestinations; ++dst)
                if (s.inhibit(src, dst))
                    out << QStringLiteral("%1:%2").arg(src).arg(dst);
        return (out.isEmpty() ? QStringLiteral("none") : out.join(u' '))
            + QStringLiteral(" / %1x%2").arg(s.InhibitSources).arg(s.InhibitDestinations);
    }
    // What the message left, by its kind ("-": a names table not stored):
    //   source names       names / channels / positions / NumInputs DisplayList / inhibit map
    //   destination names  names / channels / positions / OutputListIndex status text
    //   salvo names        names / numbers / positions
    //   map or take        per destination not fed by 77 as before, "destination: map byte K/feeders
    //                      source,A,B ... / feeder,A,B ..."; with a box: "box: selected index text"
    //   inhibit map        inhibited source:destination pairs / size of the map
    //   salvo events       NumSalvos keys / first salvo name
    // then "| pending=" PendingTables, what was sent and whether an error was logged.
    QString after(const QByteArray& message) const
    {
        const int command = ByteAt(message, 0), type = ByteAt(message, 1);
        const int bit = type == 10 ? Tables::SourceNames : type == 20 ? Tables::DestinationNames : Tables::Salvos;
        QStringList out;
        if (command == Cmd::AlphaTable && (s.PendingTables & bit))
            out << QStringLiteral("-");
        else if (command == Cmd::AlphaTable && type == 10)
            out << QStringList(s.InputAlphaList.begin(), s.InputAlphaList.end()).join(u',') << joined(s.InputChannelList)
                << joined(s.InputPosition) << QStringLiteral("%1 %2").arg(s.NumInputs).arg(s.DisplayList) << inhibits();
        else if (command == Cmd::AlphaTable && type == 20)
            out << QStringList(s.OutputAlphaList.begin(), s.OutputAlphaList.end()).join(u',') << joined(s.OutputChannelList)
                << joined(s.OutputPosition) << QStringLiteral("%1 %2").arg(s.OutputListIndex).arg(view.status1);
        else if (command == Cmd::AlphaTable)
            out << QStringList(s.SalvoAlphaList.begin(), s.SalvoAlphaList.end()).join(u',') << joined(s.SalvoNumberList)
                << joined(s.SalvoPosition);
        else if (command == Cmd::InhibitMap)
            out << inhibits();
        else if (command == Cmd::SalvoEvents)
            out << QStringLiteral("%1 %2").arg(s.NumSalvos).arg(joined(s.SalvoKeys, 3)) << s.SalvoAlphaList.front();
        for (int d = 0; d < int(s.OutputStatus.size()) && (command == Cmd::CrosspointMap || command == Cmd::Take); ++d) {
            const OutputStatusRecord& r = s.OutputStatus[std::size_t(d)];
            if (r.Sources[0] == 77 && r.SourceCount == 0)
                continue;
            QString text = QStringLiteral("%1: %2 %3/%4").arg(d).arg(r.MapByte).arg(r.SourceCount).arg(r.OutputSourceCount);
            for (int i = 0; i < std::clamp(r.SourceCount - r.OutputSourceCount, 1, 3); ++i)
                text += QStringLiteral(" %1,%2,%3").arg(r.Sources[i]).arg(r.SourceValueA[i]).arg(r.SourceValueB[i]);
            out << text;
            for (int i = 0; i < r.OutputSourceCount; ++i)
                out.last() += QStringLiteral("%1 %2,%3,%4").arg(i ? QString() : QStringLiteral(" /")).arg(r.OutputSources[i])
                                  .arg(r.OutputSourceValueA[i]).arg(r.OutputSourceValueB[i]);
        }
        if (hasBox)
            out << QStringLiteral("box: %1 %2 %3").arg(view.sourceIndex).arg(s.SourceListIndex).arg(view.sourceText).trimmed();
        out << QStringLiteral("pending=%1").arg(s.PendingTables, 0, 16);
        if (!link.sent.isEmpty())
            out << QStringLiteral("sent ") + QString::fromLatin1(link.sent.join().toHex().toUpper());
        if (logLines().join(QString()).contains(QStringLiteral("Error Processing")))
            out << QStringLiteral("logged");
        return out.join(QStringLiteral(" | "));
    }
};

} // namespace

class TestTableMessages final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tables_data()
    {
        Columns<QString, QByteArray, QString>("setUp", "message", "after");
        const auto row = [](const QByteArray& name, const QByteArray& setUp, const QByteArray& message, const QByteArray& after) {
            QTest::newRow(name.constData()) << QString::fromLatin1(setUp) << message << QString::fromLatin1(after);
        };
        // Names sorted on their upper-cased form by the exchange sort, which is not stable; a bad
        // channel number is logged and the rest of the table is still stored. The display list
        // follows the count of sources; systems 1301 and 1351 get their OFF source. A new count of
        // sources or destinations re-sizes the inhibit map and asks for it, unless it is awaited.
        row("b A c", "", alpha(10, "b,A,c"), "A,b,c | 1 0 2 | 1 0 2 | 3 111 | none / 4x257 | pending=5280");
        row("B a A", "inputs=3", alpha(10, "B,a,A"), "a,A,B | 1 2 0 | 2 0 1 | 3 111 | 2:2 / 256x256 | pending=5280");
        row("start index 2", "", alpha(10, "d0,d1,Mi,Au", {}, 2), ",,Au,Mi | 0 0 3 2 | 1 0 3 2 | 4 1111 | none / 5x257 | pending=5280");
        row("trailing blanks kept, braces last", "", alpha(10, "{{{{,zz  ,Z9  ,VTR "),
            "VTR ,Z9  ,zz  ,{{{{ | 3 2 1 0 | 3 2 1 0 | 4 1111 | none / 5x257 | pending=5280");
        row("1351 adds OFF", "type=1351", alpha(10, "b,A"), "A,b,- OFF - | 1 0 2 | 1 0 2 | 3 111 | none / 3x257 | pending=5280");
        row("1301 keeps flags", "type=1301 dl=0100", alpha(10, "b,A"), "A,b,- OFF - | 1 0 2 | 1 0 2 | 3 011 | none / 3x257 | pending=5280");
        row("1351, OFF already counted", "type=1351 inputs=3 dl=010", alpha(10, "b,A"),
            "A,b,- OFF - | 1 0 2 | 1 0 2 | 3 011 | none / 3x257 | pending=5280");
        row("1201 extended", "type=1201 dl=10", alpha(10, "a,b,c,d"), "a,b,c,d | 0 1 2 3 | 0 1 2 3 | 4 1011 | none / 5x257 | pending=5280");
        row("cut to fewer sources", "inputs=4 dl=0101", alpha(10, "a,b"), "a,b | 0 1 | 0 1 | 2 01 | none / 3x257 | pending=5280");
        row("longer list kept", "inputs=2 dl=01010", alpha(10, "a,b,c"), "a,b,c | 0 1 2 | 0 1 2 | 3 01010 | none / 4x257 | pending=5280");
        row("sources: bad number", "", alpha(10, "B,A", {0, 5}), "A,B | 5 0 | 1 0 | 2 11 | none / 3x257 | pending=5280 | logged");
        row("new count asks for the inhibit map", "pending=100", sameNames(10, 3),
            "x,x,x | 0 1 2 | 0 1 2 | 3 111 | none / 4x257 | pending=1000 | sent F20020000000000000000020FF");
        row("new count, inhibit map awaited", "pending=1100", sameNames(10, 3),
            "x,x,x | 0 1 2 | 0 1 2 | 3 111 | none / 4x257 | pending=1000");
        row("same count keeps the inhibit map", "inputs=3 pending=100", sameNames(10, 3),
            "x,x,x | 0 1 2 | 0 1 2 | 3 111 | 2:2 / 256x256 | pending=0");
        const QByteArray eight = alpha(20, "OUT 0,OUT 1,OUT 2,OUT 3,OUT 4,OUT 5,STUDIO A,OUT 7");
        const QByteArray eightLists = "OUT 0   ,OUT 1   ,OUT 2   ,OUT 3   ,OUT 4   ,OUT 5   ,OUT 7   ,STUDIO A"
                                      " | 0 1 2 3 4 5 7 6 | 0 1 2 3 4 5 7 6";
        row("destinations", "controlled=6 index=200", eight,
            eightLists + " | 7 Destination: STUDIO A [007] | pending=5180");
        row("controlled beyond the count", "controlled=9 index=200", eight,
            eightLists + " | 200 Not Specified | pending=5180");
        // Not found, so the old list index stands, and it lies outside the new list.
        row("stale list index", "controlled=8 index=200", eight,
            eightLists + " | 200 Not Specified | pending=5180 | logged");
        row("destinations: bad number", "controlled=0", alpha(20, "B,A", {0, 5}),
            "A,B | 5 0 | 1 0 | 1 Destination: B [001] | pending=5180 | logged");
        row("new count of destinations asks for the inhibit map", "controlled=1 pending=200", sameNames(20, 3),
            "x,x,x | 0 1 2 | 0 1 2 | 1 Destination: x [002] | pending=1000 | sent F20020000000000000000020FF");
        row("salvos sorted", "", alpha(50, "Night  ,all off,Day    "), "all off,Day    ,Night   | 1 2 0 | 2 0 1 | pending=1380");
        row("salvos: bad number", "", alpha(50, "B,A", {0, 5}), "A,B | 5 0 | 1 0 | pending=1380 | logged");
        row("no salvos: 9 bytes", "", hex("FC 32 00 00 00 00 00 32 FF"), " |  |  | pending=1380");
        // A names table that fails its checks changes nothing.
        const QByteArray good = alpha(10, "b,A,c");
        row("wrong checksum", "", badChecksum(good), "- | pending=5380");
        row("one byte short", "", withoutLast(good, 1), "- | pending=5380");
        row("one byte long", "", withExtra(good, 1), "- | pending=5380");
        row("count beyond the message", "", framed(hex("FC 0A 01 7F 7F 00 00 41 00 00")), "- | pending=5380");
        row("header cut short", "", framed(hex("FC 0A 01")), "- | pending=5380");
        row("high-bit data byte", "", framed(hex("FC 0A 01 01 00 00 00 C1 00 00")), "- | pending=5380");

        // Crosspoint map records, of K entries (at most 64) of a source, or with markers of a
        // destination feeding this one (at most 32), in the short or the long form (form 10). A map
        // the handler stops on keeps the records before, and is asked for again; so is a take.
        QList<QList<int>> k65{{0, 1, 0}, {0}, {0, 3, 0}}, m33{{0}};
        for (int i = 0; i < 65; ++i)
            k65[1] << 2 << 0;
        for (int i = 0; i < 33; ++i)
            m33[0] << 10 << 1 << 0;
        const QByteArray two = crosspointMap(4, 0, {{0, 1, 0}, {0, 2, 0}});
        row("15-byte short form", "", hex("F6 04 0100 0300 0100 00 0700 0000 10 FF"), "3: 0 1/0 7,0,0 | pending=5300");
        row("long form", "", crosspointMap(10, 2, {{5, 9, 1, 2, 200, 3, 16383}}, 3), "2: 5 2/0 9,1,2 200,3,16383 | pending=5300");
        row("form 26 is short", "", crosspointMap(26, 2, {{0, 9, 1}}), "2: 0 1/0 9,1,0 | pending=5300");
        row("short form, markers", "", crosspointMap(0x44, 1, {{0, 0, 4, 1, 10, 12, 2, 3, 5, 3}}),
            "1: 0 3/1 4,1,0 5,3,0 / 12,2,0 | pending=5300");
        row("long form, markers", "", crosspointMap(0x4A, 1, {{0, 10, 7, 1, 2}}, 3), "1: 0 1/1 77,0,0 / 7,1,2 | pending=5300");
        row("no entries: last source", "", crosspointMap(4, 0, {{0}}), "0: 0 0/0 255,0,0 | pending=5300");
        row("second of two records", "", crosspointMap(4, 0, {{0, 1, 0}, {6, 2, 0}}), "0: 0 1/0 1,0,0 | 1: 6 1/0 2,0,0 | pending=5300");
        row("K = 65", "", crosspointMap(4, 0, k65), "0: 0 1/0 1,0,0 | pending=5380");
        row("33 destination entries", "", crosspointMap(0x44, 0, m33), "0: 0 33/0 77,0,0 0,0,0 0,0,0 | pending=5380");
        row("map one byte long", "", withExtra(two, 1), "0: 0 1/0 1,0,0 | 1: 0 1/0 2,0,0 | pending=5380");
        row("last record cut short", "", withoutLast(two, 1), "0: 0 1/0 1,0,0 | pending=5380");
        row("count beyond the records", "", framed(two.left(3) + hex("7F") + two.mid(4, two.size() - 6)),
            "0: 0 1/0 1,0,0 | 1: 0 1/0 2,0,0 | pending=5380");
        row("map, wrong checksum", "", badChecksum(two), "pending=5380");
        row("first beyond the destinations", "", oneCrosspoint(257, 1), "pending=5380");
        row("destination without a record", "", oneCrosspoint(256, 1), "pending=5380 | logged");
        row("take with 14-bit numbers", "", hex("FE 00 08 48 01 02 00 53 FF"), "2: 0 0/0 200,0,0 | pending=5380");
        row("take, wrong checksum", "", badChecksum(take(3, 2)), "pending=5380");
        row("take, ten bytes", "", withExtra(take(3, 2), 1), "pending=5380");
        row("take, eight bytes", "", withoutLast(take(3, 2), 1), "pending=5380");
        row("take beyond the records", "", take(3, 300), "pending=5380 | logged");

        // Which entry of the source box a take, a map, a later source table or the last inhibit
        // map selects; a map shows a destination that only other destinations feed.
        for (const bool isTake : {false, true}) {
            const auto message = [isTake](int source, int destination) {
                return isTake ? take(source, destination) : oneCrosspoint(destination, source);
            };
            const auto name = [isTake](const char* what) { return QByteArray(isTake ? "take: " : "map: ").append(what); };
            const auto record = [isTake](const char* r) { return QByteArray(r).replace("1/0", isTake ? "0/0" : "1/0"); };
            const QByteArray map = isTake ? "box=4 pending=0" : "box=4 pending=80";
            row(name("controlled destination"), map, message(3, 1), record("1: 0 1/0 3,0,0 | box: 2 2 | pending=0"));
            row(name("tables pending"), map + (isTake ? " pending=100" : " pending=180"), message(3, 1),
                record("1: 0 1/0 3,0,0 | box: -1 0 | pending=100"));
            row(name("other destination"), map, message(3, 2), record("1: 0 0/0 0,0,0 | 2: 0 1/0 3,0,0 | box: -1 0 | pending=0"));
            row(name("source not listed"), map, message(9, 1), record("1: 0 1/0 9,0,0 | box: -1 0 | pending=0"));
            row(name("selection outside the box"), QByteArray(map).replace("box=4", "box=2"), message(3, 1),
                record("1: 0 1/0 3,0,0 | box: -1 2 | pending=0 | logged"));
        }
        row("map: hidden source, limited box rebuilt", "box=4 pending=80", oneCrosspoint(1, 1), "1: 0 1/0 1,0,0 | box: -1 3 | pending=0");
        row("map: shown source, full box rebuilt", "box=4 pending=80 all", oneCrosspoint(1, 3), "1: 0 1/0 3,0,0 | box: -1 2 | pending=0");
        row("map: hidden source, full box", "box=4 pending=80 all", oneCrosspoint(1, 1), "1: 0 1/0 1,0,0 | box: 3 3 | pending=0");
        row("map: beyond the box selects OFF", "box=2 pending=80 all off=1", oneCrosspoint(1, 1), "1: 0 1/0 1,0,0 | box: 1 3 | pending=0");
        row("map: beyond the box without OFF", "box=2 pending=80 all off=5", oneCrosspoint(1, 1),
            "1: 0 1/0 1,0,0 | box: -1 3 | pending=0 | logged");
        row("map: fed by destinations", "box=4 pending=80", crosspointMap(0x44, 1, {{0, 10, 4, 0, 10, 0, 0}}),
            "1: 0 2/2 0,0,0 / 4,0,0 0,0,0 | box: -1 0 STUDIO B  (ch 5) | pending=0");
        row("map: a source among the feeders", "box=4 pending=80", crosspointMap(0x44, 1, {{0, 10, 4, 0, 0, 3, 0}}),
            "1: 0 2/1 3,0,0 / 4,0,0 | box: 2 2 | pending=0");
        row("map: feeder beyond the positions", "box=4 pending=80", crosspointMap(0x44, 1, {{0, 10, 300, 0}}),
            "1: 0 1/1 0,0,0 / 300,0,0 | box: -1 0 | pending=0 | logged");
        row("later sources", "box=4 pending=100 populated current=2", sameNames(10, 4),
            "x,x,x,x | 0 1 2 3 | 0 1 2 3 | 4 1111 | 2:2 / 256x256 | box: 2 2 | pending=0");
        // The source is selected once the operator has answered for a destination that does not
        // exist: destination 0, on source 0, which the cleared ComboChannelList holds at index 0.
        row("later sources, no such destination", "controlled=0 current=0 box=4 pending=100 populated controlled=300 held",
            sameNames(10, 4), "x,x,x,x | 0 1 2 3 | 0 1 2 3 | 4 1111 | 2:2 / 256x256 | box: 0 0 | pending=0");
        row("first sources", "box=4 pending=100 current=2", sameNames(10, 4),
            "x,x,x,x | 0 1 2 3 | 0 1 2 3 | 4 1111 | 2:2 / 256x256 | box: -1 0 | pending=0");
        const QByteArray inhibits = framed(hex("F8 00 0100 0000 0100 0140"));
        row("last inhibit map", "box=4 pending=1000 populated current=2", inhibits, "0:0 / 5x1 | box: 0 0 | pending=0");
        row("first inhibit map", "box=4 pending=1000 current=2", inhibits, "0:0 / 5x1 | box: -1 0 | pending=0");
        row("last inhibit map, index outside the box", "box=0 pending=1000 populated current=2", inhibits,
            "0:0 / 5x1 | box: -1 0 | pending=0 | logged");

        // Inhibit map runs: length in 7 bits and 6, then the flag; they cover the sources in order.
        row("0x05 0x40: five inhibited", "", framed(hex("F8 00 0100 0000 0100 0540")), "0:0 1:0 2:0 3:0 4:0 / 257x1 | pending=4380");
        row("0x00 0x01: 128 allowed", "", framed(hex("F8 00 0100 0000 0200 0001 0140")), "128:0 / 257x1 | pending=4380");
        row("from destination 2", "", framed(hex("F8 00 0300 0200 0100 0140 0200 0100 0140 0000")), "0:2 1:3 / 257x5 | pending=4380");
        row("runs cut at the last source", "inputs=3", framed(hex("F8 00 0100 0000 0200 7F7F 7F7F")), "0:0 1:0 2:0 / 4x1 | pending=4380");
        row("destinations beyond the router", "", framed(hex("F8 00 0100 2C02 0100 0140")), "none / 257x257 | pending=4380");
        row("inhibits one byte long", "", framed(hex("F8 00 0100 0000 0100 0140 00")), "none / 257x1 | pending=5380");
        row("inhibit record cut short", "", framed(hex("F8 00 0100 0000 0200 0140 01")), "none / 257x1 | pending=5380");
        row("run count beyond the message", "", framed(hex("F8 00 0100 0000 7F7F 0540")), "none / 257x1 | pending=5380");
        row("inhibit count beyond the records", "", framed(hex("F8 00 7F7F 7F7F 0100 0540")), "none / 257x257 | pending=5380");
        row("inhibits, wrong checksum", "", badChecksum(framed(hex("F8 00 0100 0000 0100 0140"))), "2:2 / 256x256 | pending=5380");

        // Salvo events: records of key 5 with two events of 13 bytes, then key 300 at byte 36. Events
        // are skipped unread, so the last record's may run past the end; a key is never read from
        // the checksum and the end byte: the salvos are asked for again.
        const QByteArray first = hex("EB 00 0200 0000 0500 0200") + QByteArray(26, '\0');
        const QByteArray salvos = framed(first + hex("2C02 0000"));
        row("no salvos: 8 bytes", "", hex("EB 00 00 00 00 00 00 FF"), "0 9 | No Salvos | pending=1380");
        row("two salvos", "", salvos, "2 5 300 | Night | pending=1380");
        row("bytes after the records", "", withExtra(salvos, 3), "2 5 300 | Night | pending=1380");
        row("event count cut short", "", withoutLast(salvos, 1), "2 5 300 | Night | pending=1380");
        row("last events past the end", "", framed(first + hex("2C02 0100")), "2 5 300 | Night | pending=1380");
        row("record past the end", "", framed(first), "2 5 0 | Night | pending=5380");
        row("key cut short", "", withoutLast(salvos, 3), "2 5 0 | Night | pending=5380");
        row("salvo count beyond the records", "", framed(hex("EB 00 7F7F 0000 0500 0000")), "16383 5 0 0 | Night | pending=5380");
        row("salvo events, wrong checksum", "", badChecksum(salvos), "1 9 | Night | pending=5380");
    }
    void tables()
    {
        QFETCH(QString, setUp);
        QFETCH(QByteArray, message);
        Rig t;
        t.setUp(setUp);
        t.s.RxBuffer = message;
        ProcessCommand(t.panel);
        while (t.prompts.answerOldest()) {
        }
        QTEST(t.after(message), "after");
        QVERIFY(!t.s.Updating);
    }
};

QTEST_GUILESS_MAIN(TestTableMessages)
#include "tst_tablemessages.moc"
