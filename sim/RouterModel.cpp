#include "RouterModel.h"

#include <algorithm>

namespace {

QByteArray numberedName(const char* prefix, int channel)
{
    return QByteArray(prefix) + QByteArray::number(channel + 1).rightJustified(2, '0');
}

bool isSystemType(int type)
{
    return type == 1201 || type == 1301 || type == 1351;
}

} // namespace

QString RouterConfig::check() const
{
    using R = RouterModel;
    const QString range = QStringLiteral("%1 must be 1 to %2, not %3");
    if (sources < 1 || sources > R::MaxChannels)
        return range.arg(QStringLiteral("the number of sources")).arg(R::MaxChannels).arg(sources);
    if (destinations < 1 || destinations > R::MaxChannels)
        return range.arg(QStringLiteral("the number of destinations")).arg(R::MaxChannels).arg(destinations);
    if (nameLength < 1 || nameLength > R::MaxNameLength)
        return range.arg(QStringLiteral("the name length")).arg(R::MaxNameLength).arg(nameLength);
    if (!isSystemType(systemType))
        return QStringLiteral("the system type must be 1201, 1301 or 1351, not %1").arg(systemType);
    for (const Crosspoint& x : inhibits) {
        if (x.source < 0 || x.source >= sources || x.destination < 0 || x.destination >= destinations)
            return QStringLiteral("inhibit %1:%2 names a channel the router does not have")
                .arg(x.source + 1)
                .arg(x.destination + 1);
    }
    const int routable = sources + (R::typeHasOffSource(systemType) ? 1 : 0);
    if (salvos.size() > std::size_t(R::MaxChannels))
        return QStringLiteral("at most %1 salvos").arg(R::MaxChannels);
    for (const Salvo& salvo : salvos) {
        const QString name = QString::fromLatin1(salvo.name);
        if (salvo.key < 0 || salvo.key > R::MaxKey)
            return QStringLiteral("salvo %1: the key must be 0 to %2").arg(name).arg(R::MaxKey);
        if (salvo.changes.size() > std::size_t(R::MaxChannels))
            return QStringLiteral("salvo %1: at most %2 changes").arg(name).arg(R::MaxChannels);
        for (const Crosspoint& x : salvo.changes) {
            if (x.source < 0 || x.source >= routable || x.destination < 0 || x.destination >= destinations)
                return QStringLiteral("salvo %1: change %2>%3 names a channel the router does not have")
                    .arg(name)
                    .arg(x.source + 1)
                    .arg(x.destination + 1);
        }
    }
    return {};
}

RouterModel::RouterModel(const Config& config)
    : m_sources(std::clamp(config.sources, 1, MaxChannels))
    , m_destinations(std::clamp(config.destinations, 1, MaxChannels))
    , m_systemType(isSystemType(config.systemType) ? config.systemType : 1201)
    , m_nameLength(std::clamp(config.nameLength, 1, MaxNameLength))
    , m_inhibits(std::size_t(m_sources) * std::size_t(m_destinations), false)
{
    m_sourceNames.reserve(std::size_t(m_sources));
    for (int s = 0; s < m_sources; ++s)
        m_sourceNames.push_back(defaultSourceName(s));
    m_destinationNames.reserve(std::size_t(m_destinations));
    m_crosspoints.reserve(std::size_t(m_destinations));
    for (int d = 0; d < m_destinations; ++d) {
        m_destinationNames.push_back(defaultDestinationName(d));
        m_crosspoints.push_back(d % m_sources);
    }
    for (const Crosspoint& x : config.inhibits)
        setInhibited(x.source, x.destination, true);
    for (const Salvo& salvo : config.salvos) {
        if (m_salvos.size() >= std::size_t(MaxChannels))
            break;
        Salvo kept{salvo.name, std::clamp(salvo.key, 0, MaxKey), {}};
        for (const Crosspoint& x : salvo.changes)
            if (validRoute(x.source, x.destination))
                kept.changes.push_back(x);
        m_salvos.push_back(std::move(kept));
    }
}

QByteArray RouterModel::defaultSourceName(int channel)
{
    return numberedName("SRC ", channel);
}

QByteArray RouterModel::defaultDestinationName(int channel)
{
    return numberedName("DST ", channel);
}

void RouterModel::setSourceName(int channel, const QByteArray& name)
{
    if (channel >= 0 && channel < m_sources)
        m_sourceNames[std::size_t(channel)] = name;
}

void RouterModel::setDestinationName(int channel, const QByteArray& name)
{
    if (channel >= 0 && channel < m_destinations)
        m_destinationNames[std::size_t(channel)] = name;
}

int RouterModel::sourceOf(int destination) const
{
    if (destination < 0 || destination >= m_destinations)
        return -1;
    return m_crosspoints[std::size_t(destination)];
}

bool RouterModel::isInhibited(int source, int destination) const
{
    if (source < 0 || source >= m_sources || destination < 0 || destination >= m_destinations)
        return false;
    return m_inhibits[std::size_t(destination) * std::size_t(m_sources) + std::size_t(source)];
}

void RouterModel::setInhibited(int source, int destination, bool inhibited)
{
    if (source < 0 || source >= m_sources || destination < 0 || destination >= m_destinations)
        return;
    m_inhibits[std::size_t(destination) * std::size_t(m_sources) + std::size_t(source)] = inhibited;
}

std::vector<bool> RouterModel::inhibitRow(int destination) const
{
    if (destination < 0 || destination >= m_destinations)
        return {};
    const auto first = m_inhibits.begin() + std::ptrdiff_t(destination) * m_sources;
    return std::vector<bool>(first, first + m_sources);
}

std::vector<std::vector<bool>> RouterModel::inhibitRows() const
{
    std::vector<std::vector<bool>> rows;
    rows.reserve(std::size_t(m_destinations));
    for (int d = 0; d < m_destinations; ++d)
        rows.push_back(inhibitRow(d));
    return rows;
}

bool RouterModel::validRoute(int source, int destination) const
{
    return source >= 0 && source < routableSourceCount() && destination >= 0
        && destination < m_destinations;
}

RouterModel::RouteResult RouterModel::route(int source, int destination)
{
    if (!validRoute(source, destination))
        return RouteResult::OutOfRange;
    if (isInhibited(source, destination))
        return RouteResult::Inhibited;
    m_crosspoints[std::size_t(destination)] = source;
    return RouteResult::Done;
}

std::vector<Crosspoint> RouterModel::executeSalvo(int salvo)
{
    std::vector<Crosspoint> done;
    if (salvo < 0 || std::size_t(salvo) >= m_salvos.size())
        return done;
    for (const Crosspoint& x : m_salvos[std::size_t(salvo)].changes)
        if (route(x.source, x.destination) == RouteResult::Done)
            done.push_back(x);
    return done;
}
