#include "codec/ByteManipulation.h"
#include "protocol/Messages.h"
#include "support/Fakes.h"

#include <QPoint>
#include <QTest>

namespace {

using Ints = QList<int>;
using Points = QList<QPoint>;  // (source, destination) pairs

QStringList strs(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* text : texts)
        out << QString::fromLatin1(text);
    return out;
}

// Literal bytes.
QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// Command and data bytes, framed with their checksum and 0xFF.
QByteArray framed(const QByteArray& body)
{
    MessageBuilder b(static_cast<std::uint8_t>(body.at(0)));
    return b.bytes(body.mid(1)).finish();
}

// Alpha table with every name padded to the longest; start gives S.
QByteArray alphaTable(int type, const QStringList& names, const Ints& numbers, int start = 0)
{
    int length = 0;
    for (const QString& name : names)
        length = std::max(length, static_cast<int>(name.size()));
    MessageBuilder b(Cmd::AlphaTable);
    b.byte(type).byte(length).int14(static_cast<int>(names.size())).int14(start);
    for (qsizetype i = 0; i < names.size(); ++i)
        b.bytes(names[i].leftJustified(length).toLatin1()).int14(numbers[i]);
    return b.finish();
}

// N names "x" for channels 0..n-1.
QByteArray sameNames(int type, int n)
{
    QStringList names;
    Ints numbers;
    for (int i = 0; i < n; ++i) {
        names << QStringLiteral("x");
        numbers << i;
    }
    return alphaTable(type, names, numbers);
}

// Crosspoint map: records given as {map byte, then per entry [marker,] channel, A[, B]}.
QByteArray crosspointMessage(int form, int first, const QList<Ints>& records, int entryWords)
{
    const bool markers = form & 0x40;
    MessageBuilder b(Cmd::CrosspointMap);
    b.byte(form).int14(static_cast<int>(records.size())).int14(first);
    for (const Ints& r : records) {
        const int perEntry = entryWords + (markers ? 1 : 0);
        b.int14(static_cast<int>((r.size() - 1) / perEntry)).byte(r[0]);
        for (qsizetype i = 1; i < r.size(); ++i) {
            const bool isMarker = markers && (i - 1) % perEntry == 0;
            isMarker ? b.byte(r[i]) : b.int14(r[i]);
        }
    }
    return b.finish();
}

// Crosspoint map of one destination with one source, short form.
QByteArray oneCrosspoint(int destination, int source) { return crosspointMessage(4, destination, {{0, source, 0}}, 2); }

QByteArray take(int source, int destination)
{
    return MessageBuilder(Cmd::Take).int14(1028).int14(source).int14(destination).finish();
}

// Inhibit map: per destination, its runs as (length, inhibited) pairs.
QByteArray inhibitMessage(int first, const QList<Ints>& records)
{
    MessageBuilder b(Cmd::InhibitMap);
    b.byte(0).int14(static_cast<int>(records.size())).int14(first);
    for (const Ints& runs : records) {
        b.int14(static_cast<int>(runs.size() / 2));
        for (qsizetype i = 0; i + 1 < runs.size(); i += 2)
            b.byte(runs[i] & 0x7F).byte((runs[i] >> 7) | (runs[i + 1] ? 0x40 : 0));
    }
    return b.finish();
}

// Salvo events: per salvo its key and event count (events are 13 zero bytes each).
QByteArray salvoEventsMessage(int count, const QList<Ints>& records)
{
    MessageBuilder b(Cmd::SalvoEvents);
    b.byte(0).int14(count).int14(0);
    for (const Ints& r : records)
        b.int14(r[0]).int14(r[1]).bytes(QByteArray(13 * r[1], '\0'));
    return b.finish();
}

QByteArray withoutLast(const QByteArray& message, int dataBytes)
{
    return framed(message.left(message.size() - 2 - dataBytes));
}

QByteArray withExtra(const QByteArray& message, int dataBytes)
{
    return framed(message.left(message.size() - 2) + QByteArray(dataBytes, '\0'));
}

QByteArray badChecksum(QByteArray message)
{
    message[message.size() - 2] = static_cast<char>((message[message.size() - 2] + 1) & 0x7F);
    return message;
}

// A panel in TCP/IP mode with the default tables, not yet populated.
struct Rig : TestPanel {
    Rig()
    {
        InitVariables(s, server);
        s.TcpIpMode = true;
        s.Connected = link.connected = true;
    }
    // The combo lists of a router with these sources, and a source box of n entries.
    void sourceBox(const QStringList& names, const Ints& channels, int entries)
    {
        s.NumInputs = static_cast<int>(names.size());
        s.ComboAlphaList.assign(names.begin(), names.end());
        s.ComboChannelList.assign(channels.begin(), channels.end());
        fillBox(entries);
    }
    void fillBox(int entries)
    {
        for (int i = 0; i < entries; ++i)
            view.addSourceItem(QStringLiteral("entry %1").arg(i));
    }
    Points inhibited() const
    {
        Points out;
        for (int src = 0; src < s.InhibitSources; ++src)
            for (int dst = 0; dst < s.InhibitDestinations; ++dst)
                if (s.inhibit(src, dst))
                    out << QPoint(src, dst);
        return out;
    }
    bool logged(const QString& message) const
    {
        const QStringList lines = logLines();
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) {
            return l.contains(message) && l.contains(QStringLiteral("IP Error"));
        });
    }
};

const QByteArray InhibitRequest = bytes({0xF2, 0x00, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0xFF});

} // namespace

class TestTableMessages final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sourceTableSortsByUpperCaseName_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<Ints>("numbers");
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("sorted");
        QTest::addColumn<Ints>("channels");
        QTest::addColumn<Ints>("positions");

        QTest::newRow("b A c") << strs({"b", "A", "c"}) << Ints{0, 1, 2} << 0
                               << strs({"A", "b", "c"}) << Ints{1, 0, 2} << Ints{1, 0, 2};
        // Equal upper-cased names are not exchanged, but the exchange sort is not stable.
        QTest::newRow("B a A") << strs({"B", "a", "A"}) << Ints{0, 1, 2} << 0
                               << strs({"a", "A", "B"}) << Ints{1, 2, 0} << Ints{2, 0, 1};
        QTest::newRow("start index 2") << strs({"d0", "d1", "Mi", "Au"}) << Ints{0, 1, 2, 3} << 2
                                       << strs({"", "", "Au", "Mi"}) << Ints{0, 0, 3, 2} << Ints{1, 0, 3, 2};
        QTest::newRow("trailing blanks kept, braces last")
            << strs({"{{{{", "zz  ", "Z9  ", "VTR "}) << Ints{0, 1, 2, 3} << 0
            << strs({"VTR ", "Z9  ", "zz  ", "{{{{"}) << Ints{3, 2, 1, 0} << Ints{3, 2, 1, 0};
    }
    void sourceTableSortsByUpperCaseName()
    {
        QFETCH(QStringList, names);
        QFETCH(Ints, numbers);
        QFETCH(int, start);
        Rig t;
        ProcessAlphaTable(t.panel, alphaTable(10, names, numbers, start));

        QFETCH(QStringList, sorted);
        QFETCH(Ints, channels);
        QFETCH(Ints, positions);
        QCOMPARE(QStringList(t.s.InputAlphaList.begin(), t.s.InputAlphaList.end()), sorted);
        QCOMPARE(Ints(t.s.InputChannelList.begin(), t.s.InputChannelList.end()), channels);
        QCOMPARE(Ints(t.s.InputPosition.begin(), t.s.InputPosition.end()), positions);
        QStringList alphas = names;
        for (int k = 0; k < start; ++k)
            alphas[k].clear();
        alphas << QStringLiteral("- Off -");
        QCOMPARE(QStringList(t.s.InputAlphas.begin(), t.s.InputAlphas.end()), alphas);
        QCOMPARE(t.s.NumInputs, int(names.size()));
        QCOMPARE(t.s.ComboChannelList.size(), std::size_t(names.size()));
        QCOMPARE(t.s.PendingTables, Tables::All & ~Tables::SourceNames);
        QVERIFY(t.logLines().isEmpty());
    }

    // The display list follows the count of sources; systems 1301 and 1351 get their OFF source.
    void sourceCount_data()
    {
        QTest::addColumn<int>("systemType");
        QTest::addColumn<QString>("displayList");
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("numInputs");
        QTest::addColumn<QString>("expected");

        const QString ones(30, QLatin1Char('1'));
        QTest::newRow("1351, 20 sources") << 1351 << QString() << 256 << 20 << 21 << ones.left(21);
        QTest::newRow("1301 keeps flags") << 1301 << QStringLiteral("0100") << 256 << 20 << 21 << QStringLiteral("0100") + ones.left(17);
        QTest::newRow("1351, OFF already counted") << 1351 << QStringLiteral("0") + ones.left(20) << 21 << 20 << 21 << QStringLiteral("0") + ones.left(20);
        QTest::newRow("1201 extended") << 1201 << QStringLiteral("10") << 256 << 4 << 4 << QStringLiteral("1011");
        QTest::newRow("cut to fewer sources") << 0 << QStringLiteral("0101") << 4 << 2 << 2 << QStringLiteral("01");
        QTest::newRow("longer list kept") << 0 << QStringLiteral("01010") << 2 << 3 << 3 << QStringLiteral("01010");
        QTest::newRow("same count kept") << 0 << QStringLiteral("01010") << 3 << 3 << 3 << QStringLiteral("01010");
    }
    void sourceCount()
    {
        QFETCH(int, count);
        QFETCH(int, numInputs);
        Rig t;
        QFETCH(int, systemType);
        t.s.SystemType = systemType;
        QFETCH(QString, displayList);
        t.s.DisplayList = displayList;
        QFETCH(int, previous);
        t.s.NumInputs = previous;
        ProcessAlphaTable(t.panel, sameNames(10, count));

        QCOMPARE(t.s.NumInputs, numInputs);
        QTEST(t.s.DisplayList, "expected");
        QCOMPARE(t.s.InputAlphaList.size(), std::size_t(numInputs));
        QCOMPARE(t.s.InputPosition.size(), std::size_t(numInputs));
        QCOMPARE(t.s.ComboAlphaList.size(), std::size_t(numInputs));
        QCOMPARE(t.s.InputAlphas.size(), std::size_t(count + 1));
        if (numInputs > count) {
            QCOMPARE(t.s.InputAlphaList[count], QStringLiteral("- OFF -"));
            QCOMPARE(t.s.InputChannelList[count], count);
            QCOMPARE(t.s.InputPosition[count], count);
        }
    }

    void countChangeResizesInhibitMap_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pending");
        QTest::addColumn<bool>("requested");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("pendingAfter");

        QTest::newRow("sources changed") << 10 << 3 << 0x100 << true << 4 << 257 << 0x1000;
        QTest::newRow("sources changed, map awaited") << 10 << 3 << 0x1100 << false << 4 << 257 << 0x1000;
        QTest::newRow("sources same") << 10 << 256 << 0x100 << false << 256 << 256 << 0;
        QTest::newRow("destinations changed") << 20 << 3 << 0x200 << true << 257 << 4 << 0x1000;
        QTest::newRow("destinations same") << 20 << 256 << 0x4200 << false << 256 << 256 << 0x4000;
    }
    void countChangeResizesInhibitMap()
    {
        QFETCH(int, type);
        QFETCH(int, count);
        QFETCH(int, pending);
        QFETCH(bool, requested);
        QFETCH(int, rows);
        QFETCH(int, columns);
        Rig t;
        t.s.PendingTables = pending;
        t.s.setInhibit(2, 2, true);
        ProcessAlphaTable(t.panel, sameNames(type, count));

        QCOMPARE(t.link.sent, requested ? QList<QByteArray>{InhibitRequest} : QList<QByteArray>{});
        QCOMPARE(t.s.InhibitSources, rows);
        QCOMPARE(t.s.InhibitDestinations, columns);
        QCOMPARE(t.s.InhibitMap.size(), std::size_t(rows) * std::size_t(columns));
        QCOMPARE(t.inhibited(), (rows == 256 && columns == 256 ? Points{{2, 2}} : Points{}));
        QTEST(t.s.PendingTables, "pendingAfter");
    }

    void destinationTable_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("controlled");
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("logged");

        const QStringList names = strs({"OUT 0", "OUT 1", "OUT 2", "OUT 3", "OUT 4", "OUT 5", "STUDIO A", "OUT 7"});
        const QByteArray eight = alphaTable(20, names, {0, 1, 2, 3, 4, 5, 6, 7});
        QTest::newRow("three digits") << eight << 6 << 7 << "Destination: STUDIO A [007]" << false;
        QTest::newRow("four digits") << sameNames(20, 1000) << 999 << 999 << "Destination: x [1000]" << false;
        QTest::newRow("controlled beyond the count") << eight << 9 << 200 << "Not Specified" << false;
        // Not found, so the old list index stands, and it lies outside the new list.
        QTest::newRow("stale list index") << eight << 8 << 200 << "Not Specified" << true;
    }
    void destinationTable()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, controlled);
        Rig t;
        t.s.OutputControlled = controlled;
        t.s.OutputListIndex = 200;
        t.s.OutputStatus[2].Sources[0] = 42;
        ProcessAlphaTable(t.panel, message);

        QTEST(t.s.OutputListIndex, "listIndex");
        QTEST(t.view.status1, "status");
        QTEST(t.logged(QStringLiteral("Error Processing Alpha Table")), "logged");
        QCOMPARE(t.s.OutputStatus.size(), std::size_t(t.s.NumOutputs));
        QCOMPARE(t.s.OutputStatus[2].Sources[0], 42);
        QCOMPARE(t.s.PendingTables, Tables::All & ~Tables::DestinationNames);
    }

    void salvoTable_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<Ints>("numbers");
        QTest::addColumn<Ints>("positions");

        QTest::newRow("none: 9 bytes") << bytes({0xFC, 50, 0, 0, 0, 0, 0, 50, 0xFF}) << strs({""}) << Ints{} << Ints{};
        QTest::newRow("sorted") << alphaTable(50, strs({"Night  ", "all off", "Day    "}), {0, 1, 2})
                                << strs({"all off", "Day    ", "Night  "}) << Ints{1, 2, 0} << Ints{2, 0, 1};
    }
    void salvoTable()
    {
        QFETCH(QByteArray, message);
        QFETCH(Ints, numbers);
        Rig t;
        ProcessAlphaTable(t.panel, message);
        QTEST(QStringList(t.s.SalvoAlphaList.begin(), t.s.SalvoAlphaList.end()), "names");
        QCOMPARE(Ints(t.s.SalvoNumberList.begin(), t.s.SalvoNumberList.end()), numbers);
        QTEST(Ints(t.s.SalvoPosition.begin(), t.s.SalvoPosition.end()), "positions");
        QCOMPARE(t.s.NumSalvos, int(numbers.size()));
        QCOMPARE(t.s.PendingTables, Tables::All & ~Tables::Salvos);
    }

    // A bad channel number is logged, and the rest of the table is still stored.
    void alphaTableBadNumber_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("sources") << 10;
        QTest::newRow("destinations") << 20;
        QTest::newRow("salvos") << 50;
    }
    void alphaTableBadNumber()
    {
        QFETCH(int, type);
        Rig t;
        ProcessAlphaTable(t.panel, alphaTable(type, strs({"B", "A"}), {0, 5}));
        QVERIFY(t.logged(QStringLiteral("Error Processing Alpha Table")));
        const auto& names = type == 10 ? t.s.InputAlphaList : type == 20 ? t.s.OutputAlphaList : t.s.SalvoAlphaList;
        QCOMPARE(QStringList(names.begin(), names.end()), (strs({"A", "B"})));
        const auto& positions = type == 10 ? t.s.InputPosition : type == 20 ? t.s.OutputPosition : t.s.SalvoPosition;
        QCOMPARE(positions[0], 1);
    }

    // A message that fails its checks changes nothing.
    void alphaTableRejected_data()
    {
        QTest::addColumn<QByteArray>("message");
        const QByteArray good = alphaTable(10, strs({"b", "A", "c"}), {0, 1, 2});
        QTest::newRow("wrong checksum") << badChecksum(good);
        QTest::newRow("one byte short") << withoutLast(good, 1);
        QTest::newRow("one byte long") << withExtra(good, 1);
        QTest::newRow("count beyond the message") << framed(bytes({0xFC, 10, 1, 0x7F, 0x7F, 0, 0, 'A', 0, 0}));
        QTest::newRow("header cut short") << framed(bytes({0xFC, 10, 1}));
        QTest::newRow("only a command byte") << bytes({0xFC});
        QTest::newRow("high-bit data byte") << framed(bytes({0xFC, 10, 1, 1, 0, 0, 0, 0xC1, 0, 0}));
    }
    void alphaTableRejected()
    {
        QFETCH(QByteArray, message);
        Rig t;
        t.s.DisplayList = QStringLiteral("0");
        ProcessAlphaTable(t.panel, message);
        QCOMPARE(t.s.NumInputs, 256);
        QCOMPARE(t.s.InputAlphas[0], QStringLiteral("Inpt0001"));
        QCOMPARE(t.s.InputAlphaList.size(), 256u);
        QCOMPARE(t.s.DisplayList, QStringLiteral("0"));
        QCOMPARE(t.s.PendingTables, Tables::All);
        QCOMPARE(t.s.InhibitMap.size(), 256u * 256u);
        QVERIFY(t.link.sent.isEmpty());
        QVERIFY(t.logLines().isEmpty());
    }

    // A later source table, once populated, selects the controlled destination's source again.
    void sourceTableWhenPopulated_data()
    {
        QTest::addColumn<bool>("populated");
        QTest::newRow("populated") << true;
        QTest::newRow("first load") << false;
    }
    void sourceTableWhenPopulated()
    {
        QFETCH(bool, populated);
        Rig t;
        t.s.PanelPopulated = populated;
        t.s.PendingTables = Tables::SourceNames;
        t.s.OutputStatus[0].Sources[0] = 0;
        t.s.SourceListIndex = 9;
        t.fillBox(256);
        ProcessAlphaTable(t.panel, sameNames(10, 256));
        if (populated) {
            QCOMPARE(t.s.ComboChannelList[t.s.SourceListIndex], 0);
            QCOMPARE(t.view.sourceIndex, t.s.SourceListIndex);
        } else {
            QCOMPARE(t.s.SourceListIndex, 9);
            QCOMPARE(t.view.sourceIndex, -1);
        }
        QVERIFY(!t.s.Updating);
    }

    void crosspointMapStoresRecords_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("mapByte");
        QTest::addColumn<Ints>("sources");       // count, then (channel, A, B) per source
        QTest::addColumn<Ints>("outputSources"); // count, then (channel, A, B) per destination

        QTest::newRow("15-byte short form") << bytes({0xF6, 0x04, 0x01, 0, 0x03, 0, 0x01, 0, 0, 0x07, 0, 0, 0, 0x10, 0xFF})
                                            << 3 << 0 << Ints{1, 7, 0, 0} << Ints{0};
        QTest::newRow("long form") << crosspointMessage(10, 2, {{5, 9, 1, 2, 200, 3, 16383}}, 3)
                                   << 2 << 5 << Ints{2, 9, 1, 2, 200, 3, 16383} << Ints{0};
        QTest::newRow("form 26 is short") << crosspointMessage(26, 2, {{0, 9, 1}}, 2) << 2 << 0 << Ints{1, 9, 1, 0} << Ints{0};
        QTest::newRow("short form, markers") << crosspointMessage(0x44, 1, {{0, 0, 4, 1, 10, 12, 2, 3, 5, 3}}, 2)
                                             << 1 << 0 << Ints{2, 4, 1, 0, 5, 3, 0} << Ints{1, 12, 2, 0};
        QTest::newRow("long form, markers") << crosspointMessage(0x4A, 1, {{0, 10, 7, 1, 2}}, 3)
                                            << 1 << 0 << Ints{0} << Ints{1, 7, 1, 2};
        QTest::newRow("no entries: last source") << crosspointMessage(4, 0, {{0}}, 2) << 0 << 0 << Ints{0, 255, 0, 0} << Ints{0};
        QTest::newRow("second of two records") << crosspointMessage(4, 0, {{0, 1, 0}, {6, 2, 0}}, 2)
                                               << 1 << 6 << Ints{1, 2, 0, 0} << Ints{0};
    }
    void crosspointMapStoresRecords()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, destination);
        QFETCH(Ints, sources);
        QFETCH(Ints, outputSources);
        Rig t;
        ProcessCrosspointMap(t.panel, message);

        const OutputStatusRecord& r = t.s.OutputStatus[destination];
        QTEST(int(r.MapByte), "mapByte");
        QCOMPARE(int(r.SourceCount), sources[0] + outputSources[0]);
        QCOMPARE(int(r.OutputSourceCount), outputSources[0]);
        for (int i = 0; 1 + 3 * i < sources.size(); ++i)
            QCOMPARE((Ints{r.Sources[i], r.SourceValueA[i], r.SourceValueB[i]}), sources.mid(1 + 3 * i, 3));
        for (int i = 0; 1 + 3 * i < outputSources.size(); ++i)
            QCOMPARE((Ints{r.OutputSources[i], r.OutputSourceValueA[i], r.OutputSourceValueB[i]}), outputSources.mid(1 + 3 * i, 3));
        QCOMPARE(t.s.PendingTables, Tables::All & ~Tables::CrosspointMap);
        QVERIFY(!t.s.Updating);
    }

    // Messages the handler stops on: the records already stored stay, the map is still awaited.
    void crosspointMapStops_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<Ints>("firstSources");  // Sources[0] of destinations 0 to 2 afterwards
        QTest::addColumn<bool>("logged");

        QList<Ints> k65{{0, 1, 0}, {0}, {0, 3, 0}};
        for (int i = 0; i < 65; ++i)
            k65[1] << 2 << 0;
        QList<Ints> m33{{0}};
        for (int i = 0; i < 33; ++i)
            m33[0] << 10 << 1 << 0;
        const QByteArray two = crosspointMessage(4, 0, {{0, 1, 0}, {0, 2, 0}}, 2);
        QTest::newRow("K = 65") << crosspointMessage(4, 0, k65, 2) << Ints{1, 77, 77} << false;
        QTest::newRow("33 destination entries") << crosspointMessage(0x44, 0, m33, 2) << Ints{77, 77, 77} << false;
        QTest::newRow("one byte long") << withExtra(two, 1) << Ints{1, 2, 77} << false;
        QTest::newRow("last record cut short") << withoutLast(two, 1) << Ints{1, 77, 77} << false;
        QTest::newRow("count beyond the records") << framed(two.left(3) + bytes({0x7F}) + two.mid(4, two.size() - 6))
                                                  << Ints{1, 2, 77} << false;
        QTest::newRow("wrong checksum") << badChecksum(two) << Ints{77, 77, 77} << false;
        QTest::newRow("first beyond the destinations") << oneCrosspoint(257, 1) << Ints{77, 77, 77} << false;
        QTest::newRow("destination without a record") << oneCrosspoint(256, 1) << Ints{77, 77, 77} << true;
    }
    void crosspointMapStops()
    {
        QFETCH(QByteArray, message);
        QFETCH(Ints, firstSources);
        Rig t;
        for (int d = 0; d < 3; ++d)
            t.s.OutputStatus[d].Sources[0] = 77;
        ProcessCrosspointMap(t.panel, message);
        QCOMPARE((Ints{t.s.OutputStatus[0].Sources[0], t.s.OutputStatus[1].Sources[0], t.s.OutputStatus[2].Sources[0]}), firstSources);
        QCOMPARE(t.s.PendingTables, Tables::All);
        QTEST(t.logged(QStringLiteral("Error Processing Crosspoint Map")), "logged");
        QVERIFY(!t.s.Updating);
    }

    // Which entry of the source box a crosspoint map or a take selects. Box: combo lists of four
    // sources, "{" marking a hidden one; controlled destination 1.
    void selection_data()
    {
        QTest::addColumn<bool>("isTake");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("pending");
        QTest::addColumn<bool>("showsAll");
        QTest::addColumn<int>("entries");      // entries in the box
        QTest::addColumn<int>("offIndex");
        QTest::addColumn<int>("selected");     // -1: nothing selected
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<bool>("logged");

        for (bool isTake : {false, true}) {
            const QByteArray kind = isTake ? "take: " : "map: ";
            auto row = [&](const char* name) -> QTestData& { return QTest::newRow((kind + name).constData()) << isTake; };
            row("controlled destination") << 1 << 3 << 0 << false << 4 << 0 << 2 << 2 << false;
            row("tables pending") << 1 << 3 << 0x100 << false << 4 << 0 << -1 << 0 << false;
            row("other destination") << 2 << 3 << 0 << false << 4 << 0 << -1 << 0 << false;
            row("source not listed") << 1 << 9 << 0 << false << 4 << 0 << -1 << 0 << false;
            row("selection outside the box") << 1 << 3 << 0 << false << 2 << 0 << -1 << 2 << true;
        }
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name) << false; };
        row("map: hidden source, limited box rebuilt") << 1 << 1 << 0 << false << 4 << 0 << -1 << 3 << false;
        row("map: shown source, full box rebuilt") << 1 << 3 << 0 << true << 4 << 0 << -1 << 2 << false;
        row("map: hidden source, full box") << 1 << 1 << 0 << true << 4 << 0 << 3 << 3 << false;
        row("map: beyond the box selects OFF") << 1 << 1 << 0 << true << 2 << 1 << 1 << 3 << false;
        row("map: beyond the box without OFF") << 1 << 1 << 0 << true << 2 << 5 << -1 << 3 << true;
    }
    void selection()
    {
        QFETCH(bool, isTake);
        QFETCH(int, destination);
        QFETCH(int, source);
        QFETCH(int, entries);
        Rig t;
        t.sourceBox(strs({"A", "B", "C", "{D"}), {2, 0, 3, 1}, entries);
        t.s.OutputControlled = 1;
        QFETCH(int, pending);
        t.s.PendingTables = pending | (isTake ? 0 : Tables::CrosspointMap);
        QFETCH(bool, showsAll);
        t.s.ListShowsAll = showsAll;
        QFETCH(int, offIndex);
        t.s.OffListIndex = offIndex;
        t.s.SourceListIndex = 0;

        if (isTake)
            ProcessTake(t.panel, take(source, destination));
        else
            ProcessCrosspointMap(t.panel, oneCrosspoint(destination, source));
        QCOMPARE(t.s.OutputStatus[destination].Sources[0], source);
        QTEST(t.view.sourceIndex, "selected");
        QTEST(t.s.SourceListIndex, "listIndex");
        QTEST(t.logged(isTake ? QStringLiteral("Error Processing Take") : QStringLiteral("Error Processing Crosspoint Map")), "logged");
        QVERIFY(!t.s.Updating);
    }

    // A destination fed only by other destinations shows the first of them instead of a source.
    void crosspointMapShowsFeedingDestination_data()
    {
        QTest::addColumn<Ints>("record");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("logged");

        QTest::newRow("all entries destinations") << Ints{0, 10, 4, 0, 10, 0, 0} << "STUDIO B  (ch 5)" << -1 << false;
        QTest::newRow("a source among them") << Ints{0, 10, 4, 0, 0, 3, 0} << "" << 2 << false;
        QTest::newRow("feeder beyond the positions") << Ints{0, 10, 300, 0} << "" << -1 << true;
    }
    void crosspointMapShowsFeedingDestination()
    {
        QFETCH(Ints, record);
        Rig t;
        t.sourceBox(strs({"A", "B", "C", "D"}), {2, 0, 3, 1}, 4);
        t.s.OutputControlled = 1;
        t.s.PendingTables = Tables::CrosspointMap;
        t.s.OutputAlphaList[0] = QStringLiteral("STUDIO B");
        t.s.OutputPosition.assign(256, 1);
        t.s.OutputPosition[4] = 0;
        ProcessCrosspointMap(t.panel, crosspointMessage(0x44, 1, {record}, 2));
        QTEST(t.view.sourceText, "text");
        QTEST(t.view.sourceIndex, "selected");
        QTEST(t.logged(QStringLiteral("Error Processing Crosspoint Map")), "logged");
        QVERIFY(!t.s.Updating);
    }

    void takeRejected_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("destination");
        QTest::addColumn<int>("source");  // Sources[0] afterwards
        QTest::addColumn<bool>("logged");

        QTest::newRow("14-bit numbers") << bytes({0xFE, 0x00, 0x08, 0x48, 0x01, 0x05, 0x00, 0x56, 0xFF}) << 5 << 200 << false;
        QTest::newRow("wrong checksum") << badChecksum(take(3, 5)) << 5 << 77 << false;
        QTest::newRow("ten bytes") << withExtra(take(3, 5), 1) << 5 << 77 << false;
        QTest::newRow("eight bytes") << withoutLast(take(3, 5), 1) << 5 << 77 << false;
        QTest::newRow("destination beyond the records") << take(3, 300) << 5 << 77 << true;
    }
    void takeRejected()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, destination);
        Rig t;
        t.s.OutputStatus[destination].Sources[0] = 77;
        ProcessTake(t.panel, message);
        QTEST(t.s.OutputStatus[destination].Sources[0], "source");
        QTEST(t.logged(QStringLiteral("Error Processing Take")), "logged");
    }

    void inhibitMap_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<Points>("inhibited");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("stored");

        Points first256;
        for (int s = 0; s < 256; ++s)
            first256 << QPoint(s, 0);
        QTest::newRow("0x05 0x40: five inhibited") << framed(bytes({0xF8, 0, 1, 0, 0, 0, 1, 0, 0x05, 0x40}))
                                                   << Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}} << 257 << 1 << true;
        QTest::newRow("0x00 0x01: 128 allowed") << framed(bytes({0xF8, 0, 1, 0, 0, 0, 2, 0, 0x00, 0x01, 0x01, 0x40}))
                                                << Points{{128, 0}} << 257 << 1 << true;
        QTest::newRow("3 allowed, 2 inhibited") << inhibitMessage(0, {{3, 0, 2, 1}}) << Points{{3, 0}, {4, 0}} << 257 << 1 << true;
        QTest::newRow("from destination 2") << inhibitMessage(2, {{1, 1}, {1, 0, 1, 1}, {}}) << Points{{0, 2}, {1, 3}} << 257 << 5 << true;
        QTest::newRow("runs cut at the last source") << inhibitMessage(0, {{8191, 1, 8191, 1}}) << first256 << 257 << 1 << true;
        QTest::newRow("destinations beyond the router") << inhibitMessage(300, {{1, 1}}) << Points{} << 257 << 257 << true;
        QTest::newRow("one byte long") << withExtra(inhibitMessage(0, {{1, 1}}), 1) << Points{} << 257 << 1 << false;
        QTest::newRow("record cut short") << withoutLast(inhibitMessage(0, {{1, 1, 1, 0}}), 1) << Points{} << 257 << 1 << false;
        QTest::newRow("run count beyond the message") << framed(bytes({0xF8, 0, 1, 0, 0, 0, 0x7F, 0x7F, 0x05, 0x40}))
                                                      << Points{} << 257 << 1 << false;
        QTest::newRow("count beyond the records") << framed(bytes({0xF8, 0, 0x7F, 0x7F, 0x7F, 0x7F, 1, 0, 0x05, 0x40}))
                                                  << Points{} << 257 << 257 << false;
        QTest::newRow("wrong checksum") << badChecksum(inhibitMessage(0, {{1, 1}})) << Points{{2, 2}} << 256 << 256 << false;
    }
    void inhibitMap()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, stored);
        Rig t;
        t.s.setInhibit(2, 2, true);
        t.s.ComboAlphaList.assign(2, QStringLiteral("A"));
        ProcessInhibitMap(t.panel, message);
        QTEST(t.inhibited(), "inhibited");
        QTEST(t.s.InhibitSources, "rows");
        QTEST(t.s.InhibitDestinations, "columns");
        QCOMPARE(t.s.PendingTables, stored ? Tables::All & ~Tables::InhibitMap : Tables::All);
        QCOMPARE(t.s.ComboAlphaList.size(), stored ? 256u : 2u);
        if (stored)
            QCOMPARE(t.s.ComboAlphaList[1], QStringLiteral("A"));
        QVERIFY(t.logLines().isEmpty());
        QVERIFY(!t.s.Updating);
    }

    // The last inhibit map of a later load selects the current entry, then rebuilds the box.
    void inhibitMapWhenPopulated_data()
    {
        QTest::addColumn<bool>("populated");
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<bool>("logged");
        QTest::newRow("populated") << true << 1 << false;
        QTest::newRow("first load") << false << 1 << false;
        QTest::newRow("index outside the box") << true << 5 << true;
    }
    void inhibitMapWhenPopulated()
    {
        QFETCH(bool, populated);
        QFETCH(int, listIndex);
        Rig t;
        t.sourceBox(strs({"A", "B", "C"}), {0, 1, 2}, 3);
        t.s.PanelPopulated = populated;
        t.s.PendingTables = Tables::InhibitMap;
        t.s.SourceListIndex = listIndex;
        ProcessInhibitMap(t.panel, inhibitMessage(0, {{1, 1}}));
        QCOMPARE(t.view.sourceIndex, populated && listIndex < 3 ? t.s.SourceListIndex : -1);
        QTEST(t.logged(QStringLiteral("Error Processing Inhibit Map")), "logged");
        QVERIFY(!t.s.Updating);
    }

    void salvoEvents_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("numSalvos");
        QTest::addColumn<Ints>("keys");
        QTest::addColumn<bool>("cleared");

        const QByteArray two = salvoEventsMessage(2, {{5, 2}, {300, 0}});
        QCOMPARE(Int14At(two, 36), 300);  // the second record starts at 6 + 4 + 2 x 13
        QTest::newRow("none: 8 bytes") << bytes({0xEB, 0, 0, 0, 0, 0, 0, 0xFF}) << 0 << Ints{9} << true;
        QTest::newRow("two, second at 36") << two << 2 << Ints{5, 300} << true;
        QTest::newRow("bytes after the records") << withExtra(two, 3) << 2 << Ints{5, 300} << true;
        // Events are skipped unread: the last record's may run past the end of the message.
        QTest::newRow("event count cut short") << withoutLast(two, 1) << 2 << Ints{5, 300} << true;
        QTest::newRow("last events past the end")
            << withoutLast(salvoEventsMessage(2, {{5, 2}, {300, 1}}), 13) << 2 << Ints{5, 300} << true;
        // A key is never read from the checksum and the end byte: the salvos are asked for again.
        QTest::newRow("record past the end") << salvoEventsMessage(2, {{5, 2}}) << 2 << Ints{5, 0} << false;
        QTest::newRow("key cut short") << withoutLast(two, 3) << 2 << Ints{5, 0} << false;
        QTest::newRow("count beyond the records") << salvoEventsMessage(16383, {{5, 0}}) << 16383 << Ints{5, 0} << false;
        QTest::newRow("wrong checksum") << badChecksum(two) << 1 << Ints{9} << false;
    }
    void salvoEvents()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, numSalvos);
        QFETCH(Ints, keys);
        Rig t;
        t.s.NumSalvos = 1;
        t.s.SalvoKeys = {9};
        t.s.SalvoAlphaList = {QStringLiteral("Night")};
        ReceiveSalvoEvents(t.panel, message);
        QCOMPARE(t.s.NumSalvos, numSalvos);
        QCOMPARE(Ints(t.s.SalvoKeys.begin(), t.s.SalvoKeys.begin() + std::min<qsizetype>(keys.size(), t.s.SalvoKeys.size())), keys);
        QCOMPARE(t.s.SalvoAlphaList.front(), numSalvos == 0 ? QStringLiteral("No Salvos") : QStringLiteral("Night"));
        QTEST(!(t.s.PendingTables & Tables::Salvos), "cleared");
        QVERIFY(t.logLines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTableMessages)
#include "tst_tablemessages.moc"
