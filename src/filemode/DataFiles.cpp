#include "filemode/DataFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace DataFiles {

namespace {

constexpr int NameLength = 8;
constexpr qint64 ClassicAlphaSize = 256 * NameLength + 256 + 256 * NameLength + 256;  // 4608
constexpr qint64 ClassicInhibitSize = 256 * 256;
constexpr int ClassicChannels = 256;

// Reads exactly n bytes from the open file; false when the file ends first.
bool ReadExactly(QIODevice& file, qint64 n, QByteArray& out)
{
    if (n < 0)
        return false;
    out = file.read(n);
    return out.size() == n;
}

// The same into a buffer of the caller's.
bool ReadExactly(QIODevice& file, char* to, qint64 n) { return file.read(to, n) == n; }

std::uint8_t U8(const QByteArray& b, qsizetype at) { return static_cast<std::uint8_t>(b[at]); }

// Little-endian signed 16-bit value at the offset; callers have checked the length.
int I16(const QByteArray& b, qsizetype at)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(U8(b, at) | (U8(b, at + 1) << 8)));
}

// Calls f with the offset of every byte of b equal to value. The inhibit files are mostly
// zeros, so they are scanned for their few set pairs rather than read pair by pair into the
// freshly cleared map.
template <class F>
void ForEachByte(QByteArrayView b, char value, F f)
{
    const char* const begin = b.constData();
    const char* const end = begin + b.size();
    for (const char* p = begin; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, value, std::size_t(end - p)));
        if (!p)
            break;
        f(p - begin);
    }
}

// Names are eight single-byte characters, kept exactly (blanks and all).
QString NameAt(const QByteArray& b, qsizetype at) { return QString::fromLatin1(b.constData() + at, NameLength); }


bool ParseClassicAlpha(QIODevice& file, AlphaTables& t)
{
    QByteArray b;
    if (!ReadExactly(file, ClassicAlphaSize, b))
        return false;
    t.type = 1201;
    for (std::vector<QString>* names : {&t.inNames, &t.outNames})
        names->reserve(ClassicChannels);
    for (std::vector<int>* channels : {&t.inChannels, &t.outChannels})
        channels->reserve(ClassicChannels);
    for (int p = 0; p < ClassicChannels; ++p) {
        t.inNames.push_back(NameAt(b, p * NameLength));
        t.inChannels.push_back(U8(b, 2048 + p));
        t.outNames.push_back(NameAt(b, 2304 + p * NameLength));
        t.outChannels.push_back(U8(b, 4352 + p));
    }
    return true;
}

// N names then N channel numbers, for the count read before them.
bool ParseNamedChannels(QIODevice& file, int count, std::vector<QString>& names, std::vector<int>& channels)
{
    QByteArray b;
    if (count < 1 || !ReadExactly(file, qint64(count) * (NameLength + 2), b))
        return false;
    const qsizetype numbers = qsizetype(count) * NameLength;
    names.reserve(names.size() + std::size_t(count) + 1);
    channels.reserve(channels.size() + std::size_t(count) + 1);
    for (int p = 0; p < count; ++p) {
        names.push_back(NameAt(b, qsizetype(p) * NameLength));
        channels.push_back(I16(b, numbers + qsizetype(p) * 2));
    }
    return true;
}

bool ParseExtendedAlpha(QIODevice& file, AlphaTables& t)
{
    QByteArray head;
    if (!ReadExactly(file, 4, head))
        return false;
    t.type = I16(head, 0);
    if (!ParseNamedChannels(file, I16(head, 2), t.inNames, t.inChannels))
        return false;
    QByteArray count;
    if (!ReadExactly(file, 2, count))
        return false;
    if (!ParseNamedChannels(file, I16(count, 0), t.outNames, t.outChannels))
        return false;
    // The OFF source of these systems is one more source after the named ones, on its own channel.
    if (HasOffSource(t.type)) {
        t.inChannels.push_back(static_cast<int>(t.inNames.size()));
        t.inNames.push_back(QStringLiteral("- OFF -"));
    }
    return true;
}

// Position of each source channel. A channel number outside the table makes the file unusable.
bool BuildPositions(AlphaTables& t)
{
    const int n = static_cast<int>(t.inNames.size());
    t.inPosition.assign(static_cast<std::size_t>(n), 0);
    for (int p = 0; p < n; ++p) {
        const int channel = t.inChannels[static_cast<std::size_t>(p)];
        if (t.inNames[static_cast<std::size_t>(p)] != PlaceholderName || channel != 0) {
            if (channel < 0 || channel >= n)
                return false;
            t.inPosition[static_cast<std::size_t>(channel)] = p;
        } else {
            t.inPosition[static_cast<std::size_t>(p)] = p;
        }
    }
    return true;
}

} // namespace

Directory::Directory(const QString& path)
{
    // Files and links to files only: a device or pipe of that name is never opened.
    m_entries = QDir(path).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
}

std::optional<QFileInfo> Directory::find(const QString& name) const
{
    for (const QFileInfo& e : m_entries)
        if (e.fileName() == name)
            return e;
    for (const QFileInfo& e : m_entries)
        if (e.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return std::nullopt;
}

std::optional<Located> Locate(const Directory& dir, const QString& extended, const QString& classic)
{
    if (auto f = dir.find(extended))
        return Located{*f, true};
    if (auto f = dir.find(classic))
        return Located{*f, false};
    return std::nullopt;
}

qint64 FileTime(const QFileInfo& file)
{
    const QDateTime t = file.lastModified();
    return t.isValid() ? t.toSecsSinceEpoch() : -1;
}

std::optional<AlphaTables> ParseAlpha(QIODevice& file, bool extended, qint64 time)
{
    AlphaTables t;
    t.extended = extended;
    t.time = time;
    if (!(extended ? ParseExtendedAlpha(file, t) : ParseClassicAlpha(file, t)) || !BuildPositions(t))
        return std::nullopt;
    return t;
}

std::optional<AlphaTables> LoadAlpha(const Located& alpha)
{
    QFile file(alpha.file.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseAlpha(file, alpha.extended, FileTime(alpha.file));
}

void ApplyAlpha(PanelState& s, AlphaTables&& t)
{
    const int inputs = static_cast<int>(t.inNames.size());
    s.AlphaFileTime = t.time;
    s.SystemType = t.type;
    s.NumInputs = inputs;
    s.NumOutputs = static_cast<int>(t.outNames.size());
    s.ComboAlphaList = t.inNames;
    s.ComboChannelList = t.inChannels;
    s.InputAlphaList = std::move(t.inNames);
    s.InputChannelList = std::move(t.inChannels);
    s.InputPosition = std::move(t.inPosition);
    s.OutputAlphaList = std::move(t.outNames);
    s.OutputChannelList = std::move(t.outChannels);
    if (t.extended && HasOffSource(s.SystemType)) {
        if (s.DisplayList.size() < inputs)
            s.DisplayList.append(QString(inputs - s.DisplayList.size(), QLatin1Char('1')));
        else
            s.DisplayList.truncate(inputs);
    }
}

MapLoad LoadCrosspoints(const Located& map, std::optional<int> knownStamp)
{
    QFile file(map.file.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseCrosspoints(file, map.extended, knownStamp);
}

MapLoad ParseCrosspoints(QIODevice& file, bool extended, std::optional<int> knownStamp)
{
    MapLoad load;
    CrosspointTables& t = load.tables;
    QByteArray b;
    if (!ReadExactly(file, 1, b))
        return load;
    t.stamp = U8(b, 0);
    t.extended = extended;
    if (knownStamp && t.stamp == *knownStamp) {
        load.read = MapRead::Unchanged;
        return load;
    }

    if (!extended) {
        if (!ReadExactly(file, ClassicChannels, b))
            return load;
        t.classic.assign(b.cbegin(), b.cend());
        load.read = MapRead::Changed;
        return load;
    }

    if (!ReadExactly(file, 2, b))
        return load;
    // Each record takes at least its two count bytes: a file too short for its records is refused
    // before memory is taken for them.
    const int records = I16(b, 0);
    if (records < 1 || file.size() < 3 + qint64(records) * 2)
        return load;
    t.records.resize(static_cast<std::size_t>(records));
    for (OutputStatusRecord& r : t.records) {
        if (!ReadExactly(file, 2, b))
            return load;
        const int count = I16(b, 0);
        if (count < 0 || count > OutputStatusRecord::MaxSources || !ReadExactly(file, qint64(count) * 2, b))
            return load;
        r.SourceCount = static_cast<std::uint8_t>(count);
        for (int k = 0; k < count; ++k)
            r.Sources[static_cast<std::size_t>(k)] = I16(b, k * 2);
    }
    load.read = MapRead::Changed;
    return load;
}

bool ApplyCrosspoints(PanelState& s, CrosspointTables&& t)
{
    if (!t.extended) {
        if (s.OutputStatus.size() < ClassicChannels || t.classic.size() < ClassicChannels)
            return false;
        for (int d = 0; d < ClassicChannels; ++d)
            s.OutputStatus[static_cast<std::size_t>(d)].Sources[0] = t.classic[static_cast<std::size_t>(d)];
    } else {
        for (OutputStatusRecord& r : t.records)
            if (r.SourceCount == 0)
                r.Sources[0] = s.NumInputs - 1;  // the last source: OFF on the systems that have one
        s.OutputStatus = std::move(t.records);
    }
    s.XptMapStamp = t.stamp;
    return true;
}

std::optional<InhibitTables> LoadInhibits(const Located& inhibits, int numInputs, int numOutputs)
{
    QFile file(inhibits.file.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseInhibits(file, inhibits.extended, FileTime(inhibits.file), numInputs, numOutputs);
}

std::optional<InhibitTables> ParseInhibits(QIODevice& file, bool extended, qint64 time, int numInputs, int numOutputs)
{
    InhibitTables t;
    t.extended = extended;
    t.time = time;
    if (!extended) {
        // Row d, column s of the file is source s on destination d. The file is mostly zeros: only
        // its set pairs are kept. It is read a block at a time into the stack, since a 64 KB
        // buffer for every read costs more than the scan (fresh pages each time).
        t.sources = t.destinations = ClassicChannels;
        char block[4096];
        static_assert(ClassicInhibitSize % sizeof block == 0);
        for (qint64 from = 0; from < ClassicInhibitSize; from += qint64(sizeof block)) {
            if (!ReadExactly(file, block, qint64(sizeof block)))
                return std::nullopt;
            ForEachByte(QByteArrayView(block, sizeof block), 1, [&](qsizetype i) {
                const qint64 at = from + i;
                t.classicPairs.emplace_back(std::uint8_t(at % ClassicChannels), std::uint8_t(at / ClassicChannels));
            });
        }
        return t;
    }

    QByteArray b;
    if (!ReadExactly(file, 4, b))
        return std::nullopt;
    const int rows = I16(b, 0);
    const int columns = I16(b, 2);
    if (rows < 1 || columns < 0 || columns > numInputs || file.size() < 4 + qint64(rows) * columns)
        return std::nullopt;
    // Rows beyond the destinations that exist are never consulted; not keeping them bounds the
    // map by the router's own size whatever the header claims.
    const int kept = std::min(rows, std::max(numOutputs, 1));
    if (!ReadExactly(file, qint64(kept) * columns, b))
        return std::nullopt;
    t.sources = numInputs;
    t.destinations = kept;
    t.bits.assign(std::size_t(numInputs) * std::size_t(kept), false);
    // Only the value 1 inhibits; any other digit or character leaves the source allowed.
    ForEachByte(b, '1', [&](qsizetype at) {
        t.bits[std::size_t(at % columns) * std::size_t(kept) + std::size_t(at / columns)] = true;
    });
    return t;
}

bool ApplyInhibits(PanelState& s, InhibitTables&& t)
{
    if (!t.extended) {
        s.resizeInhibitMap(std::max(s.NumInputs, ClassicChannels), std::max(s.NumOutputs, ClassicChannels));
        for (const auto& [source, destination] : t.classicPairs)
            s.setInhibit(source, destination, true);
    } else {
        if (t.sources != s.NumInputs)
            return false;
        s.InhibitSources = t.sources;
        s.InhibitDestinations = t.destinations;
        s.InhibitMap = std::move(t.bits);
        s.ComboChannelList.assign(static_cast<std::size_t>(std::max(s.NumInputs, 0)), 0);
    }
    s.InhibitFileTime = t.time;
    return true;
}

std::optional<int> LoadStatusByte(const QFileInfo& status)
{
    QFile file(status.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ParseStatusByte(file);
}

std::optional<int> ParseStatusByte(QIODevice& file)
{
    QByteArray b;
    if (!ReadExactly(file, 1, b))
        return std::nullopt;
    return U8(b, 0);
}

} // namespace DataFiles
