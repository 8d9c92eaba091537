#pragma once

// The network data files. Loading (listing, stat, open, read, parse) works only on its arguments,
// so it can run off the GUI thread, where a share that stopped answering cannot freeze the window;
// applying a loaded table to the state runs on the GUI thread. Every loader checks each length
// before using it, reads no more than its layout can need and closes its file before it returns.

#include "state/PanelState.h"

#include <QFileInfo>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace DataFiles {

inline const QString Alpha = QStringLiteral("Alpha.ndf");
inline const QString ExtAlpha = QStringLiteral("lAlpha.ndf");
inline const QString Xptmap = QStringLiteral("Xptmap.ndf");
inline const QString ExtXptmap = QStringLiteral("lXptmap.ndf");
inline const QString Inhibit = QStringLiteral("Inhbt.ndf");
inline const QString ExtInhibit = QStringLiteral("lInhbt.ndf");
inline const QString Status = QStringLiteral("Status.ndf");

// One listing of the server directory. Names are found without regard to letter case (an
// entry spelt exactly as asked wins), so a case-sensitive file system behaves like the
// server's own.
class Directory {
public:
    explicit Directory(const QString& path);
    std::optional<QFileInfo> find(const QString& name) const;

private:
    QFileInfoList m_entries;
};

// A data file found in the directory: the extended one when present, else the classic one.
struct Located {
    QFileInfo file;
    bool extended = false;
};
std::optional<Located> Locate(const Directory& dir, const QString& extended, const QString& classic);

// Modification time at one-second resolution, as stored in AlphaFileTime and its kin.
qint64 FileTime(const QFileInfo& file);

// Names and channel numbers of sources and destinations, with the OFF source of the systems that
// have one already added, and the position of each source channel.
struct AlphaTables {
    int type = 0;
    bool extended = false;
    qint64 time = 0;
    std::vector<QString> inNames;
    std::vector<int> inChannels;
    std::vector<int> inPosition;
    std::vector<QString> outNames;
    std::vector<int> outChannels;
};
std::optional<AlphaTables> LoadAlpha(const Located& alpha);
// The same from any device: the file's bytes as they are.
std::optional<AlphaTables> ParseAlpha(QIODevice& in, bool extended, qint64 time);
void ApplyAlpha(PanelState& s, AlphaTables&& t);

// The crosspoint map: the classic one's source of each of 256 destinations, or the extended one's
// records (a record without sources takes the last source when it is applied).
struct CrosspointTables {
    int stamp = 0;
    bool extended = false;
    std::vector<std::uint8_t> classic;
    std::vector<OutputStatusRecord> records;
};
enum class MapRead { Failed, Unchanged, Changed };
struct MapLoad {
    MapRead read = MapRead::Failed;
    CrosspointTables tables;
};
// With knownStamp, a stamp equal to it reads nothing more (Unchanged).
MapLoad LoadCrosspoints(const Located& map, std::optional<int> knownStamp);
MapLoad ParseCrosspoints(QIODevice& in, bool extended, std::optional<int> knownStamp);
// False when the map does not fit the state (a classic map needs 256 destination records).
bool ApplyCrosspoints(PanelState& s, CrosspointTables&& t);

// The inhibit map for a router of the given size (the extended file is cut to it).
struct InhibitTables {
    bool extended = false;
    qint64 time = 0;
    int sources = 0;
    int destinations = 0;
    std::vector<bool> bits;  // extended: source-major, like PanelState::InhibitMap
    std::vector<std::pair<std::uint8_t, std::uint8_t>> classicPairs;  // classic: (source, destination) set
};
std::optional<InhibitTables> LoadInhibits(const Located& inhibits, int numInputs, int numOutputs);
std::optional<InhibitTables> ParseInhibits(QIODevice& in, bool extended, qint64 time, int numInputs, int numOutputs);
// False when the map was loaded for another number of sources than the state now has.
bool ApplyInhibits(PanelState& s, InhibitTables&& t);

// Byte 0 of the status file, or nothing when it cannot be read.
std::optional<int> LoadStatusByte(const QFileInfo& status);
std::optional<int> ParseStatusByte(QIODevice& in);

} // namespace DataFiles
