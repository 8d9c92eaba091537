#pragma once

#include "RouterModel.h"

#include <QByteArray>

#include <vector>

// Builders of the messages the Server Module sends to a panel. Each is a pure function of its
// arguments, so the panel's own tests can build exactly what a server would send.

namespace AlphaType {
inline constexpr int Sources = 10;
inline constexpr int Destinations = 20;
inline constexpr int Salvos = 50;
} // namespace AlphaType

// First field of a take: 1028 for an ordinary source, 1024 for the OFF source.
inline constexpr int TakeField = 1028;
inline constexpr int TakeFieldOff = 1024;

// The Server Module's event record inside the salvo events message is 13 bytes: field (2),
// source (2), destination (2), then 7 reserved zero bytes. The panel skips the events.
inline constexpr int SalvoEventSize = 13;

struct AlphaEntry {
    QByteArray name;
    int channel = 0;
};

// 0xFC: a name table. Every name is cut or padded with blanks to nameLength; bytes with the
// high bit set would break the seven-bit stream and are sent as '?'.
// Length 9 + entries * (nameLength + 2).
QByteArray AlphaTableMessage(int type, const std::vector<AlphaEntry>& entries, int nameLength,
                             int startIndex = 0);
// The same with channel numbers 0, 1, 2, ... in list order.
QByteArray AlphaTableMessage(int type, const std::vector<QByteArray>& names, int nameLength,
                             int startIndex = 0);

// 0xF6, short form without markers (form byte 0x04): one record per destination, from
// firstDestination on, each with one entry (source, value A 0) and map byte 0. A negative
// source gives a record without entries. Length 8 + 7 per destination (3 without entries).
QByteArray CrosspointMapMessage(int firstDestination, const std::vector<int>& sources);
// The whole map in messages of at most perMessage destinations each.
std::vector<QByteArray> CrosspointMapMessages(const std::vector<int>& sources, int perMessage);

// 0xFE: a crosspoint changed. Length 9.
QByteArray TakeMessage(int source, int destination, int field = TakeField);

// One inhibit run: a number of consecutive sources that are all inhibited or all allowed.
struct InhibitRun {
    int length = 0;
    bool inhibited = false;
    friend bool operator==(const InhibitRun&, const InhibitRun&) = default;
};
// Run-length code of one destination's flags (one per source), covering every source; runs
// longer than 8191 (13 bits) are split.
std::vector<InhibitRun> InhibitRuns(const std::vector<bool>& inhibited);
// 0xF8: one record per destination from firstDestination on, each the runs of its row.
// Length 8 + sum of (2 + 2 * runs).
QByteArray InhibitMapMessage(int firstDestination, const std::vector<std::vector<bool>>& rows);

// 0xEB: salvo count, then per salvo its key value, event count and 13-byte events (one per
// change). Length 8 + sum of (4 + 13 * changes).
QByteArray SalvoEventsMessage(const std::vector<Salvo>& salvos);

// 0xE5: the system type (version) number. Length 10.
QByteArray VersionMessage(int systemType);
// 0x81 0x64, the 4-byte type request.
QByteArray TypeRequestMessage();
// 0xF2 with mask 2, 13 bytes.
QByteArray PasswordRequestMessage();

// The whole table of one info request bit, from a model: sources, destinations, crosspoint map
// (in chunks of at most crosspointsPerMessage destinations), inhibit map (always one message:
// a panel clears its whole inhibit map on each one), or salvos (the type 50 alpha table and the
// salvo events). Empty for any other bit.
std::vector<QByteArray> TableMessages(const RouterModel& model, int tableBit,
                                      int crosspointsPerMessage = 1024);
