#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One crosspoint: a source routed to a destination. Channels are 0-based.
struct Crosspoint {
    int source = 0;
    int destination = 0;
    friend bool operator==(const Crosspoint&, const Crosspoint&) = default;
};

// A stored set of crosspoint changes executed as one. A key value of 0 means the salvo runs
// without a key; the panel matches keys 1 to 255.
struct Salvo {
    QByteArray name;
    int key = 0;
    std::vector<Crosspoint> changes;
};

// What the router is built with. Channel numbers are 0-based.
struct RouterConfig {
    int sources = 32;
    int destinations = 16;
    int systemType = 1201;
    int nameLength = 8;
    std::vector<Crosspoint> inhibits;  // (source, destination) pairs refused for routing
    std::vector<Salvo> salvos;

    // Empty when the configuration can be used; otherwise what is wrong with it.
    QString check() const;
};

// The simulated router: names, crosspoints, inhibits and salvos. Plain data and rules, no I/O,
// so the TCP sessions and a file-mode front end can share one model.
//
// Sources 0 to sourceCount() - 1 are named sources. Systems of type 1301 and 1351 have one more
// source, the OFF source, at channel sourceCount(): it has no name of its own (the panel adds
// "- OFF -" after the named sources, at that very channel), cannot be inhibited and is what
// the panel's "source 16383" means.
class RouterModel {
public:
    static constexpr int MaxChannels = 4096;
    static constexpr int MaxNameLength = 127;  // the length travels in one 7-bit byte
    static constexpr int MaxKey = 16383;

    using Config = RouterConfig;

    enum class RouteResult { Done, OutOfRange, Inhibited };

    // An unusable configuration is clamped into range (sizes, name length) and bad inhibits
    // and salvo changes are left out; call Config::check() first to report them.
    explicit RouterModel(const Config& config = Config());

    int sourceCount() const { return m_sources; }
    int destinationCount() const { return m_destinations; }
    int systemType() const { return m_systemType; }
    int nameLength() const { return m_nameLength; }

    static bool typeHasOffSource(int systemType) { return systemType == 1301 || systemType == 1351; }
    bool hasOffSource() const { return typeHasOffSource(m_systemType); }
    // Channel of the OFF source, -1 when the system has none.
    int offSource() const { return hasOffSource() ? m_sources : -1; }
    // Named sources plus the OFF source.
    int routableSourceCount() const { return m_sources + (hasOffSource() ? 1 : 0); }

    // Default names: "SRC 01", "DST 01", ... (channel + 1, at least two digits). Names as
    // stored, unpadded; the messages pad or cut them to nameLength().
    static QByteArray defaultSourceName(int channel);
    static QByteArray defaultDestinationName(int channel);
    const std::vector<QByteArray>& sourceNames() const { return m_sourceNames; }
    const std::vector<QByteArray>& destinationNames() const { return m_destinationNames; }
    void setSourceName(int channel, const QByteArray& name);
    void setDestinationName(int channel, const QByteArray& name);

    // Current source of a destination; at start destination d takes source d modulo the
    // number of named sources.
    int sourceOf(int destination) const;
    // Current source of every destination, by destination.
    const std::vector<int>& crosspoints() const { return m_crosspoints; }

    bool isInhibited(int source, int destination) const;
    void setInhibited(int source, int destination, bool inhibited);
    // One flag per named source for a destination: true where the source is inhibited.
    std::vector<bool> inhibitRow(int destination) const;
    std::vector<std::vector<bool>> inhibitRows() const;

    // Routes a source to a destination unless either is out of range or the crosspoint is
    // inhibited; a real Server Module refuses inhibited routes.
    RouteResult route(int source, int destination);

    const std::vector<Salvo>& salvos() const { return m_salvos; }
    // Applies a salvo's changes in order and returns those that were carried out (changes to
    // inhibited or missing crosspoints are skipped). Empty for an unknown salvo.
    std::vector<Crosspoint> executeSalvo(int salvo);

private:
    bool validRoute(int source, int destination) const;

    int m_sources;
    int m_destinations;
    int m_systemType;
    int m_nameLength;
    std::vector<QByteArray> m_sourceNames;
    std::vector<QByteArray> m_destinationNames;
    std::vector<int> m_crosspoints;
    std::vector<bool> m_inhibits;  // source-major within each destination: d * sources + s
    std::vector<Salvo> m_salvos;
};
