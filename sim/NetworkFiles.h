#pragma once

#include "RouterModel.h"

#include <QByteArray>

#include <optional>

// Builders of the network data files a router server keeps for panels in File mode, and the
// reader of the panels' command files. Pure functions of the model, so tests (the panel's too)
// can build exactly what the server writes.
//
// All integers are 16-bit signed little-endian; names are exactly 8 bytes, cut or padded with
// blanks, bytes kept as stored. Name lists are in display order: the named channels sorted by
// upper-cased name (ties by channel), each with its channel number.
namespace NetworkFiles {

inline constexpr int NameSize = 8;
inline constexpr int ClassicSize = 256;
// Name of a list position whose channel the router does not have.
inline constexpr char Placeholder[] = "{{{{{{{{";

inline constexpr char ClassicAlpha[] = "Alpha.ndf";
inline constexpr char ClassicCrosspoints[] = "Xptmap.ndf";
inline constexpr char ClassicInhibits[] = "Inhbt.ndf";
inline constexpr char ExtendedAlpha[] = "lAlpha.ndf";
inline constexpr char ExtendedCrosspoints[] = "lXptmap.ndf";
inline constexpr char ExtendedInhibits[] = "lInhbt.ndf";
inline constexpr char Status[] = "Status.ndf";
inline constexpr char NarrowCommand[] = "xpt00001.wcf";  // source, destination: 1 byte each
inline constexpr char WideCommand[] = "xpt00002.wcf";    // source, destination: int16 LE each

// Whether a router fits the classic 256 x 256 files (its OFF source included).
bool FitsClassic(const RouterModel& model);

// 4608 bytes: 256 source names, 256 source channel bytes, 256 destination names, 256
// destination channel bytes. Positions past the router's channels hold the placeholder name
// and their own position as channel.
QByteArray ClassicAlphaFile(const RouterModel& model);
// 257 bytes: the stamp, then the source of destinations 0 to 255 (0 past the router's).
QByteArray ClassicCrosspointFile(const RouterModel& model, quint8 stamp);
// 65536 bytes: byte 256 x d + s is 1 where source s is inhibited on destination d.
QByteArray ClassicInhibitFile(const RouterModel& model);

// Type, N, N names, N channels, M, M names, M channels. The OFF source is not listed: the
// panel adds it itself.
QByteArray ExtendedAlphaFile(const RouterModel& model);
// Stamp (1 byte), D, then per destination a count and that many sources: count 1 and the
// source, or count 0 for a destination on the OFF source.
QByteArray ExtendedCrosspointFile(const RouterModel& model, quint8 stamp);
// R (destinations), C (named sources), then R x C characters '1' (inhibited) or '0'.
QByteArray ExtendedInhibitFile(const RouterModel& model);

// One byte: 1 while the server is connected to the switcher, 0 while not.
QByteArray StatusFile(bool connected);

// The take in a command file's first 2 (narrow) or 4 (wide) bytes; further bytes are ignored.
// Nothing when the file is shorter.
std::optional<Crosspoint> ParseCommand(const QByteArray& bytes, bool wide);

} // namespace NetworkFiles
