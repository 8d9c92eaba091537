#include "protocol/TableMessages.h"

#include "core/Display.h"
#include "core/Salvo.h"
#include "codec/ByteManipulation.h"
#include "protocol/Messages.h"
#include "state/ExchangeOrder.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

const QString IpError = QStringLiteral("IP Error");


// Alpha table types.
enum : int { SourceTable = 10, DestinationTable = 20, SalvoTable = 50 };

// Clears Updating however the handler ends.
class UpdatingOff {
public:
    explicit UpdatingOff(PanelState& s) : m_s(s) {}
    ~UpdatingOff() { m_s.Updating = false; }
    UpdatingOff(const UpdatingOff&) = delete;
    UpdatingOff& operator=(const UpdatingOff&) = delete;

private:
    PanelState& m_s;
};

// The checksum is right and every byte between the command byte and the 0xFF is a 7-bit data
// byte. The dispatcher never cuts out anything else; a handler called with it drops it, so no
// count or channel number can exceed 14 bits.
bool Acceptable(const QByteArray& message)
{
    if (!ChecksumMatches(message))
        return false;
    for (qsizetype i = 1; i < message.size() - 1; ++i)
        if (ByteAt(message, i) & 0x80)
            return false;
    return true;
}

// Shortest map or salvo events message: command, five header bytes, checksum and 0xFF. A shorter
// one does not even hold its counts, which would otherwise be read from the checksum and 0xFF.
constexpr qsizetype MinimumListMessage = 8;

// ---------------------------------------------------------------------------------------------
// Alpha table (0xFC)

const QString AlphaFailure = QStringLiteral("Error Processing Alpha Table");

void LogAlphaFailure(Panel& panel, const Failure& failure)
{
    LogError(panel.s, panel.clock, AlphaFailure, IpError, failure);
}

// Runs one step of the alpha table handler. A failure is logged and ends the step; the handler
// goes on with its next step, so one bad entry does not keep a table from being stored.
template <class Step>
void AlphaStep(Panel& panel, Step&& step)
{
    try {
        step();
    } catch (const TableFault& e) {
        LogAlphaFailure(panel, e.failure);
    }
}

// A step that sets one table entry per name: a bad entry is skipped, the others are still set,
// and the step's first failure is logged once.
class EntryStep {
public:
    template <class Entry>
    void attempt(Entry&& entry)
    {
        try {
            entry();
        } catch (const TableFault& e) {
            if (!m_first)
                m_first = e.failure;
        }
    }
    void report(Panel& panel) const
    {
        if (m_first)
            LogAlphaFailure(panel, *m_first);
    }

private:
    std::optional<Failure> m_first;
};

struct AlphaEntry {
    QString name;
    int number = 0;
};

struct AlphaTable {
    int type = 0;
    std::vector<AlphaEntry> entries;  // sorted by key
    std::vector<int> position;        // by channel number: its place in entries
    int count() const { return static_cast<int>(entries.size()); }
};

// Sorts on the upper-cased names, compared by character code, in the exchange sort's order.
void SortByName(std::vector<AlphaEntry>& entries)
{
    std::vector<QString> keys;
    keys.reserve(entries.size());
    for (const AlphaEntry& e : entries)
        keys.push_back(e.name.toUpper());
    ApplyOrder(entries, ExchangeSortOrder(keys, [](const QString& a, const QString& b) {
                   return QString::compare(a, b, Qt::CaseSensitive) < 0;
               }));
}

std::vector<QString> Names(const AlphaTable& t)
{
    std::vector<QString> out;
    out.reserve(t.entries.size());
    for (const AlphaEntry& e : t.entries)
        out.push_back(e.name);
    return out;
}

std::vector<int> Numbers(const AlphaTable& t)
{
    std::vector<int> out;
    out.reserve(t.entries.size());
    for (const AlphaEntry& e : t.entries)
        out.push_back(e.number);
    return out;
}

void StoreSources(Panel& panel, const AlphaTable& t)
{
    PanelState& s = panel.s;
    const int n = t.count();
    s.InputAlphaList = Names(t);
    s.InputChannelList = Numbers(t);

    const int previous = s.NumInputs;
    if (n <= s.DisplayList.size() && n < previous)
        s.DisplayList.truncate(n);
    else if (n > s.DisplayList.size())
        s.DisplayList.append(QString(n - s.DisplayList.size(), QLatin1Char('1')));

    if (n != previous) {
        s.resizeInhibitMap(n + 1, s.NumOutputs + 1);
        if (!(s.PendingTables & Tables::InhibitMap))
            SendInfoRequest(panel, Tables::InhibitMap);
    }
    s.NumInputs = n;

    // These systems route "off" as a source of their own, which the panel adds as the last one.
    if (HasOffSource(s.SystemType)) {
        s.InputAlphaList.push_back(QStringLiteral("- OFF -"));
        s.InputChannelList.push_back(s.NumInputs);
        ++s.NumInputs;
        if (s.DisplayList.size() < s.NumInputs)
            s.DisplayList.append(QString(s.NumInputs - s.DisplayList.size(), QLatin1Char('1')));
    }

    const auto inputs = static_cast<std::size_t>(s.NumInputs);
    s.InputPosition.assign(inputs, 0);
    s.ComboAlphaList.assign(inputs, QString());
    s.ComboChannelList.assign(inputs, 0);
    s.PendingTables &= ~Tables::SourceNames;

    EntryStep positions;
    for (int i = 0; i < s.NumInputs; ++i)
        positions.attempt([&] { CheckedAt(s.InputPosition, CheckedAt(s.InputChannelList, i, "InputChannelList"), "InputPosition") = i; });
    positions.report(panel);

    // A later source table (the first complete load is over): rebuild the view.
    if (s.PendingTables == 0 && s.PanelPopulated) {
        AlphaStep(panel, [&] {
            UpdateAlphaData(panel);
            FollowCurrentSource(panel, SourceChange::Take);
        });
    }
}

void StoreDestinations(Panel& panel, const AlphaTable& t)
{
    PanelState& s = panel.s;
    const int n = t.count();
    s.OutputAlphaList = Names(t);
    s.OutputChannelList = Numbers(t);
    s.OutputPosition = t.position;

    if (n != s.NumOutputs) {
        s.resizeInhibitMap(s.NumInputs + 1, n + 1);
        if (!(s.PendingTables & Tables::InhibitMap))
            SendInfoRequest(panel, Tables::InhibitMap);
    }
    s.NumOutputs = n;

    const auto found = std::find(s.OutputChannelList.begin(), s.OutputChannelList.end(), s.OutputControlled);
    if (found != s.OutputChannelList.end())
        s.OutputListIndex = static_cast<int>(found - s.OutputChannelList.begin());

    s.OutputStatus.resize(static_cast<std::size_t>(n));
    s.PendingTables &= ~Tables::DestinationNames;

    if (s.OutputControlled > s.NumOutputs)
        return;
    AlphaStep(panel, [&] {
        panel.view.setStatusText(1, DestinationStatus(CheckedAt(s.OutputAlphaList, s.OutputListIndex, "OutputAlphaList"),
                                                      s.OutputControlled));
    });
}

void StoreSalvos(Panel& panel, const AlphaTable& t)
{
    PanelState& s = panel.s;
    const int n = t.count();
    s.NumSalvos = n;
    if (n < 1) {
        s.SalvoAlphaList.assign(1, QString());
    } else {
        s.SalvoAlphaList = Names(t);
        s.SalvoNumberList = Numbers(t);
        s.SalvoPosition.assign(static_cast<std::size_t>(n), 0);
        EntryStep positions;
        for (int i = 0; i < n; ++i)
            positions.attempt([&] { CheckedAt(s.SalvoPosition, s.SalvoNumberList[static_cast<std::size_t>(i)], "SalvoPosition") = i; });
        positions.report(panel);
    }
    s.PendingTables &= ~Tables::Salvos;
    DisplayFirstSalvo(panel);
}

} // namespace

void ProcessAlphaTable(Panel& panel, const QByteArray& message)
{
    if (!Acceptable(message))
        return;

    AlphaTable t;
    t.type = ByteAt(message, 1);
    const int nameLength = ByteAt(message, 2);
    const int n = Int14At(message, 3);
    const int start = Int14At(message, 5);
    const qsizetype entrySize = nameLength + 2;
    // The length check comes first, so that the count never sizes anything the message does not hold.
    if (message.size() != 9 + n * entrySize)
        return;

    t.entries.resize(static_cast<std::size_t>(n));
    for (int k = start; k < n; ++k) {
        const qsizetype p = 7 + k * entrySize;
        AlphaEntry& e = t.entries[static_cast<std::size_t>(k)];
        e.name = QString::fromLatin1(message.constData() + p, nameLength);
        e.number = Int14At(message, p + nameLength);
    }

    if (t.type == SourceTable) {
        std::vector<QString> alphas = Names(t);
        alphas.push_back(QStringLiteral("- Off -"));
        panel.s.InputAlphas = std::move(alphas);
    }

    SortByName(t.entries);

    t.position.assign(static_cast<std::size_t>(n), 0);
    EntryStep positions;
    for (int i = 0; i < n; ++i)
        positions.attempt([&] { CheckedAt(t.position, t.entries[static_cast<std::size_t>(i)].number, "position") = i; });
    positions.report(panel);

    switch (t.type) {
    case SourceTable:
        StoreSources(panel, t);
        break;
    case DestinationTable:
        StoreDestinations(panel, t);
        break;
    case SalvoTable:
        StoreSalvos(panel, t);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Crosspoint map (0xF6)

namespace {

void DecodeCrosspointMap(Panel& panel, const QByteArray& message)
{
    PanelState& s = panel.s;
    const int form = ByteAt(message, 1);
    const bool markers = (form & 0x40) != 0;
    const bool longForm = (markers ? (form & 0x0F) : form) == 10;
    const int valuesSize = longForm ? 6 : 4;
    const int entrySize = valuesSize + (markers ? 1 : 0);
    const int count = Int14At(message, 2);
    const int first = Int14At(message, 4);
    if (first > s.NumOutputs)
        return;

    // Records lie between the header and the checksum; a record that does not fit there means
    // the message's length is not the one its records give, which ends the handler quietly.
    const qsizetype dataEnd = message.size() - 2;
    qsizetype p = 6;
    for (int d = first; d < first + count; ++d) {
        if (p + 3 > dataEnd)
            return;
        const int k = Int14At(message, p);
        if (k > OutputStatusRecord::MaxSources)
            return;
        if (p + 3 + qsizetype(k) * entrySize > dataEnd)
            return;

        OutputStatusRecord& r = CheckedAt(s.OutputStatus, d, "OutputStatus");
        r.SourceCount = static_cast<std::uint8_t>(k);
        if (k == 0)
            r.Sources[0] = s.NumInputs - 1;
        r.MapByte = ByteAt(message, p + 2);
        p += 3;

        int marked = 0;
        for (int i = 0; i < k; ++i) {
            bool isMarked = false;
            if (markers) {
                isMarked = ByteAt(message, p) == 10;
                ++p;
            }
            if (isMarked && ++marked > OutputStatusRecord::MaxOutputSources)
                return;
            const int channel = Int14At(message, p);
            const int valueA = Int14At(message, p + 2);
            const int valueB = Int14At(message, p + 4);
            // i < 64 and marked <= 32 keep both indices inside the record's arrays.
            const auto slot = static_cast<std::size_t>(isMarked ? marked - 1 : i - marked);
            if (isMarked) {
                r.OutputSources[slot] = channel;
                r.OutputSourceValueA[slot] = valueA;
                if (longForm)
                    r.OutputSourceValueB[slot] = valueB;
            } else {
                r.Sources[slot] = channel;
                r.SourceValueA[slot] = valueA;
                if (longForm)
                    r.SourceValueB[slot] = valueB;
            }
            p += valuesSize;
        }
        r.OutputSourceCount = static_cast<std::uint8_t>(marked);
    }
    if (p + 2 != message.size())
        return;

    s.PendingTables &= ~Tables::CrosspointMap;
    if (s.PendingTables != 0)
        return;
    if (count == 1 && first != s.OutputControlled)
        return;
    FollowCurrentSource(panel, SourceChange::Map);
}

} // namespace

void ProcessCrosspointMap(Panel& panel, const QByteArray& message)
{
    if (message.size() < MinimumListMessage || !Acceptable(message))
        return;
    panel.s.Updating = true;
    const UpdatingOff off(panel.s);
    try {
        DecodeCrosspointMap(panel, message);
    } catch (const TableFault& e) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Processing Crosspoint Map"), IpError, e.failure);
    }
}

// ---------------------------------------------------------------------------------------------
// Take (0xFE)

void ProcessTake(Panel& panel, const QByteArray& message)
{
    if (message.size() != 9 || !Acceptable(message))
        return;
    PanelState& s = panel.s;
    try {
        const int source = Int14At(message, 3);
        const int destination = Int14At(message, 5);
        CheckedAt(s.OutputStatus, destination, "OutputStatus").Sources[0] = source;
        if (s.PendingTables == 0 && destination == s.OutputControlled)
            FollowCurrentSource(panel, SourceChange::Take);
    } catch (const TableFault& e) {
        LogError(s, panel.clock, QStringLiteral("Error Processing Take"), IpError, e.failure);
    }
}

// ---------------------------------------------------------------------------------------------
// Inhibit map (0xF8)

namespace {

// Run of an inhibit record: length from the first byte (low 7 bits) and the second (bits 0 to 5),
// inhibited when bit 6 of the second byte is set.
struct Run {
    int length;
    int inhibited;
};

Run RunAt(const QByteArray& message, qsizetype p)
{
    std::uint8_t high = ByteAt(message, p + 1);
    const int inhibited = SplitFlagByte(high);
    return {high * 128 + ByteAt(message, p), inhibited};
}

void DecodeInhibitMap(Panel& panel, const QByteArray& message)
{
    PanelState& s = panel.s;
    const int count = Int14At(message, 2);
    const int first = Int14At(message, 4);

    // The map covers the destinations up to the last one of the message. Columns at or beyond
    // NumOutputs are never read (the controlled destination is always below it, and a new count of
    // destinations re-sizes the map), so they are not kept: the map stays within the router's size.
    const int destinations = std::min(first + count, s.NumOutputs + 1);
    s.resizeInhibitMap(s.NumInputs + 1, destinations);

    // The records' run counts give the message's length; a record that runs past the checksum
    // means that length is wrong.
    const qsizetype dataEnd = message.size() - 2;
    qsizetype p = 6;
    for (int i = 0; i < count; ++i) {
        if (p + 2 > dataEnd)
            return;
        p += 2 + 2 * qsizetype(Int14At(message, p));
        if (p > dataEnd)
            return;
    }
    if (p + 2 != message.size())
        return;

    // Runs cover sources 0, 1, ... in order; sources past NumInputs are not kept, and sources the
    // runs do not reach stay allowed.
    p = 6;
    for (int d = first; d < first + count; ++d) {
        const int runs = Int14At(message, p);
        p += 2;
        int source = 0;
        for (int r = 0; r < runs; ++r, p += 2) {
            const Run run = RunAt(message, p);
            const int end = std::min(source + run.length, s.NumInputs);
            if (run.inhibited && d < destinations)
                for (int src = source; src < end; ++src)
                    s.setInhibit(src, d, true);
            source = end;
        }
    }

    s.PendingTables &= ~Tables::InhibitMap;
    s.Updating = false;
    s.ComboAlphaList.resize(static_cast<std::size_t>(std::max(s.NumInputs, 0)));
    s.ComboChannelList.resize(static_cast<std::size_t>(std::max(s.NumInputs, 0)));

    if (s.PendingTables == 0 && s.PanelPopulated) {
        s.Updating = true;
        SelectSourceEntry(panel, s.SourceListIndex);
        s.Updating = false;
        UpdateAlphaData(panel);
    }
}

} // namespace

void ProcessInhibitMap(Panel& panel, const QByteArray& message)
{
    panel.s.Updating = true;
    const UpdatingOff off(panel.s);
    if (message.size() < MinimumListMessage || !Acceptable(message))
        return;
    try {
        DecodeInhibitMap(panel, message);
    } catch (const TableFault& e) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Processing Inhibit Map"), IpError, e.failure);
    }
}

// ---------------------------------------------------------------------------------------------
// Salvo events (0xEB)

void ReceiveSalvoEvents(Panel& panel, const QByteArray& message)
{
    if (message.size() < MinimumListMessage || !Acceptable(message))
        return;
    PanelState& s = panel.s;
    const int salvos = Int14At(message, 2);
    s.NumSalvos = salvos;
    if (salvos != 0)
        s.SalvoKeys.assign(static_cast<std::size_t>(salvos), 0);
    else
        s.SalvoAlphaList.assign(1, QStringLiteral("No Salvos"));

    // Records are walked by their event counts; the events themselves are skipped unread, so the
    // last record's may run past the end. A key is never taken from the checksum and the end
    // byte: a record whose key does not lie before them ends the walk quietly, the keys stored so
    // far stay, and the salvos' bit stays set so that they are asked for again.
    const qsizetype dataEnd = message.size() - 2;
    qsizetype p = 6;
    for (int i = 0; i < salvos; ++i) {
        if (p + 2 > dataEnd)
            return;
        s.SalvoKeys[static_cast<std::size_t>(i)] = Int14At(message, p);
        p += 4 + 13 * qsizetype(Int14At(message, p + 2));
    }
    s.PendingTables &= ~Tables::Salvos;
}
