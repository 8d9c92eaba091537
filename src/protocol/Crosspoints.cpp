// The crosspoint messages: the crosspoint map (0xF6) and the take (0xFE) from the server, and the
// crosspoint change (0xFE) that a take of the operator's sends.

#include "protocol/Messages.h"

#include "codec/MessageReader.h"
#include "core/Display.h"
#include "protocol/Handler.h"
#include "protocol/TcpComm.h"
#include "state/Panel.h"
#include "state/TableFault.h"
#include "storage/ErrorLog.h"

namespace {

// First field of a crosspoint change: an ordinary source, or the panel's own OFF source.
constexpr int SourceField = 1028;
constexpr int OffSourceField = 1024;
// Markers of the map's entries: this entry is a destination feeding the record's destination.
constexpr int DestinationMarker = 10;

// The runtime's number for an argument out of range.
constexpr int InvalidArgument = 5;

bool IsInt14(int value) { return value >= 0 && value <= MaxInt14; }

// A record of the map: K entries, each an optional marker, a channel and value A (and value B in
// the long form). It fits when the message holds all of it and K is at most 64; a record that does
// not fit ends the map there, before its destination is even looked at (the earlier records stay).
struct RecordForm {
    bool markers;
    bool longForm;
    int entrySize() const { return (longForm ? 6 : 4) + (markers ? 1 : 0); }
};

bool RecordFits(MessageReader in, const RecordForm& form)
{
    const int k = in.int14();
    return in.ok() && k <= OutputStatusRecord::MaxSources && in.remaining() >= 1 + qsizetype(k) * form.entrySize();
}

// Stores a record that fits, field by field as it is read. More than 32 marked entries end the
// map at that entry, with what was stored so far.
bool ReadRecord(MessageReader& in, OutputStatusRecord& r, const RecordForm& form, int numInputs)
{
    const int k = in.int14();
    r.SourceCount = static_cast<std::uint8_t>(k);
    if (k == 0)
        r.Sources[0] = numInputs - 1;
    r.MapByte = in.byte();

    int marked = 0;
    for (int i = 0; i < k; ++i) {
        const bool isMarked = form.markers && in.byte() == DestinationMarker;
        if (isMarked && ++marked > OutputStatusRecord::MaxOutputSources)
            return false;
        const int channel = in.int14();
        const int valueA = in.int14();
        // i < 64 and marked <= 32 keep both indices inside the record's arrays.
        const auto slot = static_cast<std::size_t>(isMarked ? marked - 1 : i - marked);
        const int valueB = form.longForm ? in.int14() : 0;
        if (isMarked) {
            r.OutputSources[slot] = channel;
            r.OutputSourceValueA[slot] = valueA;
            if (form.longForm)
                r.OutputSourceValueB[slot] = valueB;
        } else {
            r.Sources[slot] = channel;
            r.SourceValueA[slot] = valueA;
            if (form.longForm)
                r.SourceValueB[slot] = valueB;
        }
    }
    r.OutputSourceCount = static_cast<std::uint8_t>(marked);
    return true;
}

void DecodeCrosspointMap(Panel& panel, const QByteArray& message)
{
    PanelState& s = panel.s;
    MessageReader in(message);
    const int form = in.byte();
    const int count = in.int14();
    const int first = in.int14();
    if (!in.ok() || first > s.NumOutputs)
        return;
    const bool markers = (form & 0x40) != 0;
    const RecordForm record{markers, (markers ? (form & 0x0F) : form) == 10};

    for (int d = first; d < first + count; ++d) {
        if (!RecordFits(in, record)
            || !ReadRecord(in, CheckedAt(s.OutputStatus, d, "OutputStatus"), record, s.NumInputs))
            return;
    }
    if (!in.atEnd())
        return;

    s.PendingTables &= ~Tables::CrosspointMap;
    if (s.PendingTables != 0)
        return;
    if (count == 1 && first != s.OutputControlled)
        return;
    FollowCurrentSource(panel, SourceChange::Map);
}

} // namespace

QByteArray CrosspointChangeMessage(int field, int source, int destination)
{
    return MessageBuilder(Cmd::Take).int14(field).int14(source).int14(destination).finish();
}

void SendCrosspointChange(Panel& panel, int destination, int source)
{
    if (!IsInt14(destination) || !IsInt14(source)) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Sending Crosspoint Change"),
                 QStringLiteral("Switcher Message Error"), {InvalidArgument, QStringLiteral("Channel out of range")});
        return;
    }
    const bool off = source == panel.s.NumInputs - 1 && HasOffSource(panel.s.SystemType);
    SendToSwitcher(panel, off ? CrosspointChangeMessage(OffSourceField, MaxInt14, destination)
                              : CrosspointChangeMessage(SourceField, source, destination));
}

void ProcessCrosspointMap(Panel& panel, const QByteArray& message)
{
    if (!IsSevenBitMessage(message))
        return;
    panel.s.Updating = true;
    const UpdatingOff off(panel.s);
    try {
        DecodeCrosspointMap(panel, message);
    } catch (const TableFault& e) {
        LogError(panel.s, panel.clock, QStringLiteral("Error Processing Crosspoint Map"), IpError, e.failure);
    }
}

void ProcessTake(Panel& panel, const QByteArray& message)
{
    if (!IsSevenBitMessage(message))
        return;
    MessageReader in(message);
    in.int14();  // the field: an ordinary source or the OFF source, the same to the panel
    const int source = in.int14();
    const int destination = in.int14();
    if (!in.atEnd())
        return;
    PanelState& s = panel.s;
    try {
        CheckedAt(s.OutputStatus, destination, "OutputStatus").Sources[0] = source;
        if (s.PendingTables == 0 && destination == s.OutputControlled)
            FollowCurrentSource(panel, SourceChange::Take);
    } catch (const TableFault& e) {
        LogError(s, panel.clock, QStringLiteral("Error Processing Take"), IpError, e.failure);
    }
}
