#include "NetworkFiles.h"

#include <QtEndian>

#include <algorithm>
#include <numeric>

namespace NetworkFiles {
namespace {

QByteArray fileName(const QByteArray& name)
{
    return name.left(NameSize).leftJustified(NameSize, ' ');
}

void int16(QByteArray& out, int value)
{
    char bytes[2];
    qToLittleEndian<qint16>(qint16(value), bytes);
    out.append(bytes, 2);
}

// Channels in display order: sorted by upper-cased name, ties kept in channel order.
std::vector<int> displayOrder(const std::vector<QByteArray>& names)
{
    std::vector<QByteArray> keys;
    keys.reserve(names.size());
    for (const QByteArray& name : names)
        keys.push_back(fileName(name).toUpper());
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return keys[std::size_t(a)] < keys[std::size_t(b)]; });
    return order;
}

// One classic name list: 256 names, then 256 channel bytes.
void classicList(QByteArray& out, const std::vector<QByteArray>& names)
{
    const std::vector<int> order = displayOrder(names);
    for (int channel : order)
        out += fileName(names[std::size_t(channel)]);
    for (std::size_t p = order.size(); p < std::size_t(ClassicSize); ++p)
        out += Placeholder;
    for (int channel : order)
        out += char(quint8(channel));
    for (std::size_t p = order.size(); p < std::size_t(ClassicSize); ++p)
        out += char(quint8(p));
}

void extendedList(QByteArray& out, const std::vector<QByteArray>& names)
{
    const std::vector<int> order = displayOrder(names);
    int16(out, int(order.size()));
    for (int channel : order)
        out += fileName(names[std::size_t(channel)]);
    for (int channel : order)
        int16(out, channel);
}

} // namespace

bool FitsClassic(const RouterModel& model)
{
    return model.routableSourceCount() <= ClassicSize && model.destinationCount() <= ClassicSize;
}

QByteArray ClassicAlphaFile(const RouterModel& model)
{
    QByteArray out;
    out.reserve(2 * ClassicSize * (NameSize + 1));
    if (!FitsClassic(model))
        return out;
    classicList(out, model.sourceNames());
    classicList(out, model.destinationNames());
    return out;
}

QByteArray ClassicCrosspointFile(const RouterModel& model, quint8 stamp)
{
    QByteArray out(1 + ClassicSize, '\0');
    if (!FitsClassic(model))
        return {};
    out[0] = char(stamp);
    const std::vector<int>& sources = model.crosspoints();
    for (std::size_t d = 0; d < sources.size(); ++d)
        out[qsizetype(1 + d)] = char(quint8(sources[d]));
    return out;
}

QByteArray ClassicInhibitFile(const RouterModel& model)
{
    if (!FitsClassic(model))
        return {};
    QByteArray out(ClassicSize * ClassicSize, '\0');
    for (int d = 0; d < model.destinationCount(); ++d)
        for (int s = 0; s < model.sourceCount(); ++s)
            if (model.isInhibited(s, d))
                out[d * ClassicSize + s] = 1;
    return out;
}

QByteArray ExtendedAlphaFile(const RouterModel& model)
{
    const qsizetype n = model.sourceCount();
    const qsizetype m = model.destinationCount();
    QByteArray out;
    out.reserve(6 + (NameSize + 2) * (n + m));
    int16(out, model.systemType());
    extendedList(out, model.sourceNames());
    extendedList(out, model.destinationNames());
    return out;
}

QByteArray ExtendedCrosspointFile(const RouterModel& model, quint8 stamp)
{
    const std::vector<int>& sources = model.crosspoints();
    QByteArray out;
    out.reserve(3 + 4 * qsizetype(sources.size()));
    out += char(stamp);
    int16(out, int(sources.size()));
    for (int source : sources) {
        if (source == model.offSource()) {
            int16(out, 0);
            continue;
        }
        int16(out, 1);
        int16(out, source);
    }
    return out;
}

QByteArray ExtendedInhibitFile(const RouterModel& model)
{
    const int rows = model.destinationCount();
    const int columns = model.sourceCount();
    QByteArray out;
    out.reserve(4 + qsizetype(rows) * columns);
    int16(out, rows);
    int16(out, columns);
    for (int d = 0; d < rows; ++d)
        for (int s = 0; s < columns; ++s)
            out += model.isInhibited(s, d) ? '1' : '0';
    return out;
}

QByteArray StatusFile(bool connected)
{
    return QByteArray(1, connected ? char(1) : char(0));
}

std::optional<Crosspoint> ParseCommand(const QByteArray& bytes, bool wide)
{
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    if (!wide)
        return bytes.size() < 2 ? std::nullopt : std::optional<Crosspoint>({b[0], b[1]});
    if (bytes.size() < 4)
        return std::nullopt;
    return Crosspoint{qFromLittleEndian<qint16>(b), qFromLittleEndian<qint16>(b + 2)};
}

} // namespace NetworkFiles
