// The table messages through the dispatcher, one table of rows: the panel as the row sets it up,
// the message, and what the message left, as text (see Rig::after).

#include "codec/ByteManipulation.h"
#include "protocol/Dispatcher.h"
#include "protocol/Messages.h"
#include "support/Fakes.h"

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

// Command and data bytes, framed with their checksum and 0xFF.
QByteArray framed(const QByteArray& body) { return MessageBuilder(std::uint8_t(body.at(0))).bytes(body.mid(1)).finish(); }

// Alpha table of the names "b,A,c" padded to the longest, with channels 0, 1, 2 ...
QByteArray alpha(int type, const char* names)
{
    const QStringList list = QString::fromLatin1(names).split(u',');
    const qsizetype length = std::max_element(list.begin(), list.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size();
    MessageBuilder b(Cmd::AlphaTable);
    b.byte(type).byte(int(length)).int14(int(list.size())).int14(0);
    for (int i = 0; i < list.size(); ++i)
        b.bytes(list[i].leftJustified(length).toLatin1()).int14(i);
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
QByteArray take(int source, int destination) { return MessageBuilder(Cmd::Take).int14(1028).int14(source).int14(destination).finish(); }

template <class C> QString joined(const C& items)
{
    QStringList out;
    for (const auto& item : items)
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
    // "key=value ...": type, inputs (NumInputs), pending (hex), controlled, populated, current
    // (source of the controlled destination), and box=N: a source box of N entries over four
    // sources (A, B, C and the hidden {D at channels 2 0 3 1) with controlled destination 1 on
    // source 0; fed: destination 5 feeds destination 1; positions: every destination's name is at
    // position 0; list: the display list; held: the boxes and dialogs stay open while the message
    // is handled, and are answered after it.
    void setUp(const QString& line)
    {
        for (const QString& item : line.split(u' ', Qt::SkipEmptyParts)) {
            const QString key = item.section(u'=', 0, 0);
            const int value = item.section(u'=', 1).toInt(nullptr, key == u"pending" ? 16 : 10);
            if (key == u"type") s.SystemType = value;
            else if (key == u"inputs") s.NumInputs = value;
            else if (key == u"pending") s.PendingTables = value;
            else if (key == u"controlled") s.OutputControlled = value;
            else if (key == u"populated") s.PanelPopulated = true;
            else if (key == u"current") s.OutputStatus[std::size_t(s.OutputControlled)].Sources[0] = value;
            else if (key == u"held") prompts.hold = true;
            else if (key == u"positions") s.OutputPosition.assign(256, 0);
            else if (key == u"list") s.DisplayList = item.section(u'=', 1);
            else if (key == u"fed") s.OutputStatus[1].SourceCount = s.OutputStatus[1].OutputSourceCount = 1, s.OutputStatus[1].OutputSources[0] = 5;
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
    //   destination names  names / channels / positions / OutputListIndex status text / inhibit map
    //   map or take        per destination not fed by 77 as before, "destination: map byte K/feeders
    //                      source,A,B ... / feeder,A,B ..."; with a box: "box: selected index text"
    //   inhibit map        inhibited source:destination pairs / size of the map
    //   salvo events       NumSalvos keys / first salvo name
    // then "| pending=" PendingTables and what was sent.
    QString after(const QByteArray& message) const
    {
        const int command = ByteAt(message, 0), type = ByteAt(message, 1);
        const int bit = type == 10 ? Tables::SourceNames : Tables::DestinationNames;
        QStringList out;
        if (command == Cmd::AlphaTable && (s.PendingTables & bit))
            out << QStringLiteral("-");
        else if (command == Cmd::AlphaTable && type == 10)
            out << QStringList(s.InputAlphaList.begin(), s.InputAlphaList.end()).join(u',') << joined(s.InputChannelList)
                << joined(s.InputPosition) << QStringLiteral("%1 %2").arg(s.NumInputs).arg(s.DisplayList) << inhibits();
        else if (command == Cmd::AlphaTable && type == 20)
            out << QStringList(s.OutputAlphaList.begin(), s.OutputAlphaList.end()).join(u',') << joined(s.OutputChannelList)
                << joined(s.OutputPosition) << QStringLiteral("%1 %2").arg(s.OutputListIndex).arg(view.status1) << inhibits();
        else if (command == Cmd::InhibitMap)
            out << inhibits();
        else if (command == Cmd::SalvoEvents)
            out << QStringLiteral("%1 %2").arg(s.NumSalvos).arg(joined(s.SalvoKeys)) << s.SalvoAlphaList.front();
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
        // Names sorted on their upper-cased form by the exchange sort; systems 1301 and 1351 get
        // their OFF source. A new count of sources or destinations re-sizes the inhibit map and
        // asks for it. A names table that fails its checks changes nothing.
        row("B a A", "inputs=3", alpha(10, "B,a,A"), "a,A,B | 1 2 0 | 2 0 1 | 3 111 | 2:2 / 256x256 | pending=5280");
        row("more sources keep the display list's tail", "inputs=2 list=10101", alpha(10, "a,b,c"),
            "a,b,c | 0 1 2 | 0 1 2 | 3 10101 | none / 4x257 | pending=5280");
        row("1351 adds OFF", "type=1351", alpha(10, "b,A"), "A,b,- OFF - | 1 0 2 | 1 0 2 | 3 111 | none / 3x257 | pending=5280");
        row("new count of destinations asks for the inhibit map", "controlled=1 pending=200", sameNames(20, 3),
            "x,x,x | 0 1 2 | 0 1 2 | 1 Destination: x [002] | none / 257x4 | pending=1000 | sent F20020000000000000000020FF");
        row("wrong checksum", "", hex("FC 0A 01 01 00 00 00 62 00 00 6F FF"), "- | pending=5380");

        // Crosspoint map records, of K entries (at most 64) of a source, or with markers of a
        // destination feeding this one, in the short or the long form (form 10). A map the handler
        // stops on keeps the records before, and is asked for again.
        QList<QList<int>> k65{{0, 1, 0}, {0}, {0, 3, 0}};
        for (int i = 0; i < 65; ++i)
            k65[1] << 2 << 0;
        row("long form, markers", "", crosspointMap(0x4A, 1, {{0, 10, 7, 1, 2}}, 3), "1: 0 1/1 77,0,0 / 7,1,2 | pending=5300");
        row("no entries: last source", "", crosspointMap(4, 0, {{0}}), "0: 0 0/0 255,0,0 | pending=5300");
        row("K = 65", "", crosspointMap(4, 0, k65), "0: 0 1/0 1,0,0 | pending=5380");
        row("markers: a source after a destination", "", crosspointMap(0x44, 1, {{0, 10, 7, 0, 0, 3, 0}}), "1: 0 2/1 3,0,0 / 7,0,0 | pending=5300");
        row("from the last destination on, no records", "", crosspointMap(4, 256, {}), "pending=5300");

        // Only a take or a one-destination map of the controlled destination selects in the box,
        // and a map only once it is the last table in.
        row("map: the controlled destination fed by another", "box=4 pending=80 positions", crosspointMap(0x44, 1, {{0, 10, 7, 0}}),
            "1: 0 1/1 0,0,0 / 7,0,0 | box: -1 0   (ch 8) | pending=0");
        row("map: the last table, of the controlled destination", "box=4 pending=80", crosspointMap(4, 1, {{0, 3, 0}}),
            "1: 0 1/0 3,0,0 | box: 2 2 | pending=0");
        row("map: other destination", "box=4 pending=80", crosspointMap(4, 2, {{0, 3, 0}}),
            "1: 0 0/0 0,0,0 | 2: 0 1/0 3,0,0 | box: -1 0 | pending=0");
        row("take: other destination", "box=4 pending=0", take(3, 2),
            "1: 0 0/0 0,0,0 | 2: 0 0/0 3,0,0 | box: -1 0 | pending=0");
        row("take: on a destination fed by another", "box=4 pending=0 fed", take(3, 1),
            "1: 0 1/1 3,0,0 / 5,0,0 | box: 2 2 | pending=0");

        // The source is selected once the operator has answered for a destination that does not
        // exist: destination 0, on source 0, which the cleared ComboChannelList holds at index 0.
        row("later sources, no such destination", "controlled=0 current=0 box=4 pending=100 populated controlled=300 held",
            sameNames(10, 4), "x,x,x,x | 0 1 2 3 | 0 1 2 3 | 4 1111 | 2:2 / 256x256 | box: 0 0 | pending=0");

        // Inhibit map runs: length in 7 bits and 6, then the flag; they cover the sources in order,
        // and no further than the last. A map whose records do not fill it changes nothing; the last
        // table in selects the current source.
        row("0x00 0x01: 128 allowed", "", framed(hex("F8 00 0100 0000 0200 0001 0140")), "128:0 / 257x1 | pending=4380");
        row("runs cut at the last source", "inputs=3", framed(hex("F8 00 0100 0000 0200 7F7F 7F7F")), "0:0 1:0 2:0 / 4x1 | pending=4380");
        row("inhibit record cut short", "", framed(hex("F8 00 0100 0000 0200 0140 01")), "none / 257x1 | pending=5380");
        row("last inhibit map", "box=4 pending=1000 populated current=2", framed(hex("F8 00 0100 0000 0100 0140")),
            "0:0 / 5x1 | box: 0 0 | pending=0");

        // Salvo events: records of key 5 with two events of 13 bytes, then key 300 at byte 36.
        row("two salvos", "", framed(hex("EB 00 0200 0000 0500 0200") + QByteArray(26, '\0') + hex("2C02 0000")),
            "2 5 300 | Night | pending=1380");
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

    // Channels beyond the table's own count: each step's first bad entry is logged, once.
    void badEntriesLoggedOnce()
    {
        Rig t;
        t.s.ErrorLogEnabled = true;
        MessageBuilder b(Cmd::AlphaTable);
        b.byte(10).byte(1).int14(3).int14(0).bytes("a").int14(5).bytes("b").int14(1).bytes("c").int14(7);
        t.s.RxBuffer = b.finish();
        ProcessCommand(t.panel);
        const QStringList lines = t.logLines();
        QCOMPARE(lines.size(), 2);  // the table's positions, then the sources' positions
        QVERIFY(lines[0].endsWith(QStringLiteral("Error # 9 - Subscript out of range: position(5) of 3")));
        QVERIFY(lines[1].endsWith(QStringLiteral("Error # 9 - Subscript out of range: InputPosition(5) of 3")));
    }
};

QTEST_GUILESS_MAIN(TestTableMessages)
#include "tst_tablemessages.moc"
