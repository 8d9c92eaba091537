// The alpha table message (0xFC): the names of the sources, the destinations or the salvos.

#include "protocol/Messages.h"

#include "codec/MessageReader.h"
#include "core/Display.h"
#include "core/Salvo.h"
#include "protocol/Handler.h"
#include "state/ExchangeOrder.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Alpha table types.
enum : int { SourceTable = 10, DestinationTable = 20, SalvoTable = 50 };

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

// A step that sets one table entry per name: an entry outside its table is skipped, the others
// are still set, and the step's first failure is logged once. Nothing is thrown per entry: a
// broken table may have thousands of them.
class EntryStep {
public:
    // Entry index of the table, or nullptr (a failure of the step) when it has no such entry.
    template <class Vector>
    auto* at(Vector& table, qint64 index, const char* name)
    {
        auto* entry = EntryIfAny(table, index);
        if (!entry && !m_first)
            m_first = Miss{name, index, static_cast<qint64>(table.size())};
        return entry;
    }
    template <class Vector>
    void set(Vector& table, qint64 index, const char* name, int value)
    {
        if (auto* entry = at(table, index, name))
            *entry = value;
    }
    void report(Panel& panel) const
    {
        if (m_first)
            LogAlphaFailure(panel, OutOfRangeFailure(m_first->table, m_first->index, m_first->size));
    }

private:
    struct Miss {
        const char* table;
        qint64 index;
        qint64 size;
    };
    std::optional<Miss> m_first;  // its text is made only when it is logged
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
        if (const int* channel = positions.at(s.InputChannelList, i, "InputChannelList"))
            positions.set(s.InputPosition, *channel, "InputPosition", i);
    positions.report(panel);

    // A later source table (the first complete load is over): rebuild the view and select the
    // current source; for a destination that does not exist, once the operator has chosen another.
    if (s.PendingTables == 0 && s.PanelPopulated) {
        UpdateAlphaData(panel, [&panel] { AlphaStep(panel, [&panel] { FollowCurrentSource(panel, SourceChange::Take); }); });
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
            positions.set(s.SalvoPosition, s.SalvoNumberList[static_cast<std::size_t>(i)], "SalvoPosition", i);
        positions.report(panel);
    }
    s.PendingTables &= ~Tables::Salvos;
    DisplayFirstSalvo(panel);
}

} // namespace

void ProcessAlphaTable(Panel& panel, const QByteArray& message)
{
    if (!IsSevenBitMessage(message))
        return;

    MessageReader in(message);
    AlphaTable t;
    t.type = in.byte();
    const int nameLength = in.byte();
    const int n = in.int14();
    const int start = in.int14();
    const qsizetype entrySize = nameLength + 2;
    // The length comes first, so that the count never sizes anything the message does not hold.
    if (!in.ok() || in.remaining() != n * entrySize)
        return;

    t.entries.resize(static_cast<std::size_t>(n));
    if (start < n)
        in.skip(start * entrySize);
    for (int k = start; k < n; ++k) {
        AlphaEntry& e = t.entries[static_cast<std::size_t>(k)];
        e.name = QString::fromLatin1(in.bytes(nameLength));
        e.number = in.int14();
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
        positions.set(t.position, t.entries[static_cast<std::size_t>(i)].number, "position", i);
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
