#include "ServerMessages.h"

#include "codec/ByteManipulation.h"

#include <algorithm>

namespace {

// Counts travel as 14-bit numbers; a list longer than that is cut.
std::size_t countLimit(std::size_t size)
{
    return std::min<std::size_t>(size, MaxInt14);
}

// A name as it travels: exactly length bytes, blank-padded, seven-bit.
QByteArray wireName(const QByteArray& name, int length)
{
    QByteArray out = name.left(length).leftJustified(length, ' ');
    for (char& c : out)
        if (static_cast<unsigned char>(c) & 0x80)
            c = '?';
    return out;
}

constexpr int LongestRun = 8191;  // 13 bits: 7 in the first byte, 6 in the second

} // namespace

QByteArray AlphaTableMessage(int type, const std::vector<AlphaEntry>& entries, int nameLength,
                             int startIndex)
{
    nameLength = std::clamp(nameLength, 0, 127);
    const std::size_t n = countLimit(entries.size());
    MessageBuilder m(Cmd::AlphaTable);
    m.byte(type).byte(nameLength).int14(int(n)).int14(startIndex);
    for (std::size_t k = 0; k < n; ++k)
        m.bytes(wireName(entries[k].name, nameLength)).int14(entries[k].channel);
    return m.finish();
}

QByteArray AlphaTableMessage(int type, const std::vector<QByteArray>& names, int nameLength,
                             int startIndex)
{
    std::vector<AlphaEntry> entries;
    entries.reserve(names.size());
    for (std::size_t k = 0; k < names.size(); ++k)
        entries.push_back({names[k], int(k)});
    return AlphaTableMessage(type, entries, nameLength, startIndex);
}

QByteArray CrosspointMapMessage(int firstDestination, const std::vector<int>& sources)
{
    const std::size_t c = countLimit(sources.size());
    MessageBuilder m(Cmd::CrosspointMap);
    m.byte(0x04).int14(int(c)).int14(firstDestination);
    for (std::size_t i = 0; i < c; ++i) {
        if (sources[i] < 0) {
            m.int14(0).byte(0);
            continue;
        }
        m.int14(1).byte(0);                // one entry, map byte 0
        m.int14(sources[i]).int14(0);      // source, value A
    }
    return m.finish();
}

std::vector<QByteArray> CrosspointMapMessages(const std::vector<int>& sources, int perMessage)
{
    perMessage = std::clamp(perMessage, 1, MaxInt14);
    std::vector<QByteArray> out;
    for (std::size_t first = 0; first < sources.size(); first += std::size_t(perMessage)) {
        const std::size_t last = std::min(sources.size(), first + std::size_t(perMessage));
        out.push_back(CrosspointMapMessage(
            int(first), std::vector<int>(sources.begin() + std::ptrdiff_t(first),
                                         sources.begin() + std::ptrdiff_t(last))));
    }
    return out;
}

QByteArray TakeMessage(int source, int destination, int field)
{
    return MessageBuilder(Cmd::Take).int14(field).int14(source).int14(destination).finish();
}

std::vector<InhibitRun> InhibitRuns(const std::vector<bool>& inhibited)
{
    std::vector<InhibitRun> runs;
    std::size_t i = 0;
    while (i < inhibited.size()) {
        const bool flag = inhibited[i];
        std::size_t j = i;
        while (j < inhibited.size() && inhibited[j] == flag && j - i < std::size_t(LongestRun))
            ++j;
        runs.push_back({int(j - i), flag});
        i = j;
    }
    return runs;
}

QByteArray InhibitMapMessage(int firstDestination, const std::vector<std::vector<bool>>& rows)
{
    const std::size_t c = countLimit(rows.size());
    MessageBuilder m(Cmd::InhibitMap);
    m.byte(0).int14(int(c)).int14(firstDestination);
    for (std::size_t d = 0; d < c; ++d) {
        const std::vector<InhibitRun> runs = InhibitRuns(rows[d]);
        m.int14(int(runs.size()));
        for (const InhibitRun& run : runs)
            m.byte(run.length & 0x7F).byte((run.inhibited ? 0x40 : 0) | ((run.length >> 7) & 0x3F));
    }
    return m.finish();
}

QByteArray SalvoEventsMessage(const std::vector<Salvo>& salvos)
{
    const std::size_t count = countLimit(salvos.size());
    MessageBuilder m(Cmd::SalvoEvents);
    m.byte(0).int14(int(count)).int14(0);
    for (std::size_t i = 0; i < count; ++i) {
        const Salvo& salvo = salvos[i];
        const std::size_t events = countLimit(salvo.changes.size());
        m.int14(salvo.key).int14(int(events));
        for (std::size_t e = 0; e < events; ++e) {
            m.int14(TakeField).int14(salvo.changes[e].source).int14(salvo.changes[e].destination);
            for (int pad = 6; pad < SalvoEventSize; ++pad)
                m.byte(0);
        }
    }
    return m.finish();
}

QByteArray VersionMessage(int systemType)
{
    return MessageBuilder(Cmd::Version).byte(0x01).int14(0).int14(systemType).int14(0).finish();
}

QByteArray TypeRequestMessage()
{
    return MessageBuilder(Cmd::TypeRequest).byte(0x64).finish();
}

QByteArray PasswordRequestMessage()
{
    MessageBuilder m(Cmd::InfoRequest);
    m.byte(Tables::PasswordRequest);
    for (int i = 2; i <= 10; ++i)
        m.byte(0);
    return m.finish();
}

std::vector<QByteArray> TableMessages(const RouterModel& model, int tableBit, int crosspointsPerMessage)
{
    switch (tableBit) {
    case Tables::SourceNames:
        return {AlphaTableMessage(AlphaType::Sources, model.sourceNames(), model.nameLength())};
    case Tables::DestinationNames:
        return {AlphaTableMessage(AlphaType::Destinations, model.destinationNames(), model.nameLength())};
    case Tables::CrosspointMap:
        return CrosspointMapMessages(model.crosspoints(), crosspointsPerMessage);
    case Tables::InhibitMap:
        return {InhibitMapMessage(0, model.inhibitRows())};
    case Tables::Salvos: {
        std::vector<QByteArray> names;
        names.reserve(model.salvos().size());
        for (const Salvo& salvo : model.salvos())
            names.push_back(salvo.name);
        return {AlphaTableMessage(AlphaType::Salvos, names, model.nameLength()),
                SalvoEventsMessage(model.salvos())};
    }
    default:
        return {};
    }
}
