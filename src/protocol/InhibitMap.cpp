// The inhibit map message (0xF8): which sources may not be routed to which destinations.

#include "protocol/Messages.h"

#include "codec/MessageReader.h"
#include "core/Display.h"
#include "protocol/Handler.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

#include <algorithm>

namespace {

// The records give the message's length: each a run count R and R runs of two bytes. True when
// the message is exactly as long as its records.
bool RecordsFillMessage(MessageReader in, int count)
{
    for (int i = 0; i < count && in.ok(); ++i)
        in.skip(2 * qsizetype(in.int14()));
    return in.atEnd();
}

// One run of a record: its length from the first byte (low 7 bits) and the second (bits 0 to 5),
// inhibited when bit 6 of the second byte is set.
struct Run {
    int length;
    int inhibited;
};

Run ReadRun(MessageReader& in)
{
    const std::uint8_t low = in.byte();
    std::uint8_t high = in.byte();
    const int inhibited = SplitFlagByte(high);
    return {high * 128 + low, inhibited};
}

void DecodeInhibitMap(Panel& panel, const QByteArray& message)
{
    PanelState& s = panel.s;
    MessageReader in(message);
    in.skip(1);
    const int count = in.int14();
    const int first = in.int14();
    if (!in.ok())
        return;

    // The map covers the destinations up to the last one of the message. Columns at or beyond
    // NumOutputs are never read (the controlled destination is always below it, and a new count of
    // destinations re-sizes the map), so they are not kept: the map stays within the router's size.
    const int destinations = std::min(first + count, s.NumOutputs + 1);
    s.resizeInhibitMap(s.NumInputs + 1, destinations);
    if (!RecordsFillMessage(in, count))
        return;

    // Runs cover sources 0, 1, ... in order; sources past NumInputs are not kept, and sources the
    // runs do not reach stay allowed.
    for (int d = first; d < first + count; ++d) {
        const int runs = in.int14();
        int source = 0;
        for (int r = 0; r < runs; ++r) {
            const Run run = ReadRun(in);
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
    if (!IsSevenBitMessage(message))
        return;
    try {
        DecodeInhibitMap(panel, message);
    } catch (const TableFault& e) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Processing Inhibit Map"), IpError, e.failure);
    }
}
