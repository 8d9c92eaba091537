#pragma once

// The network data files as the readers, the poll cycle and the location check share them.
// Every reader checks each length before using it, reads no more than its layout can need,
// closes its file before it returns and changes the state only when the whole file was good.

#include <QFileInfo>
#include <QString>

#include <optional>

struct PanelState;

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

// Names and channel numbers; stores AlphaFileTime. False when the file is short or malformed.
bool ReadAlpha(PanelState& s, const Located& alpha);

enum class MapRead { Failed, Unchanged, Changed };
// Crosspoint map. With onlyWhenNew, a stamp equal to XptMapStamp reads nothing more (Unchanged).
MapRead ReadCrosspoints(PanelState& s, const Located& map, bool onlyWhenNew);

// Inhibit map; stores InhibitFileTime.
bool ReadInhibits(PanelState& s, const Located& inhibits);

// Byte 0 of the status file, or nothing when it cannot be read.
std::optional<int> ReadStatusByte(const QFileInfo& status);

} // namespace DataFiles
