#pragma once

#include "codec/ByteManipulation.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class Server;

// Crosspoint state of one destination, as the crosspoint map gives it.
struct OutputStatusRecord {
    static constexpr int MaxSources = 64;
    static constexpr int MaxOutputSources = 32;

    std::array<int, MaxSources> Sources{};
    std::uint8_t MapByte = 0;
    std::uint8_t SourceCount = 0;
    std::array<int, MaxSources> SourceValueA{};
    std::array<int, MaxSources> SourceValueB{};
    std::array<int, MaxOutputSources> OutputSources{};
    std::array<int, MaxOutputSources> OutputSourceValueA{};
    std::array<int, MaxOutputSources> OutputSourceValueB{};
    std::uint8_t OutputSourceCount = 0;
};

// The settings' limits, where the settings file and the setup dialog apply them.
inline constexpr int MaxRefreshRate = 32500;  // ms
inline constexpr int MaxTimeOut = 3600;       // s, both time-outs
inline constexpr int MaxPollRate = 3600;      // s
inline constexpr int MaxIpPort = 65535;

// Window order values of the main window.
inline constexpr int TopMost = -1;
inline constexpr int NotTopMost = -2;

// The name of a channel that the router does not have; sorts after every real name.
inline const QString PlaceholderName = QStringLiteral("{{{{{{{{");

// Every variable of the panel. One instance lives from start-up to exit; tests make a fresh one.
// Names are the product's established ones so that each operation reads like its description.
struct PanelState {
    // Channel counts and system type.
    int NumInputs = 256;
    int NumOutputs = 256;
    int SystemType = 0;

    // Source names: by channel, by position (sorted) and the maps between them.
    std::vector<QString> InputAlphas;
    std::vector<QString> InputAlphaList;
    std::vector<int> InputChannelList;
    std::vector<int> InputPosition;
    std::vector<QString> ComboAlphaList;
    std::vector<int> ComboChannelList;

    // Destination names.
    std::vector<QString> OutputAlphaList;
    std::vector<int> OutputChannelList;
    std::vector<int> OutputPosition;

    // One bit per (source, destination): set = the source may not be routed there. Its dimensions
    // are those it was last sized to, which need not be NumInputs x NumOutputs (an alpha table
    // sizes it one larger each way, the inhibit map message to the destinations it covers).
    // A bit each keeps it at 2 MB for a 4096 x 4096 router.
    std::vector<bool> InhibitMap;
    int InhibitSources = 256;       // rows
    int InhibitDestinations = 256;  // columns, the length of one source's row
    // Re-dimensions the map; every entry becomes 0.
    void resizeInhibitMap(int sources, int destinations)
    {
        InhibitSources = sources > 0 ? sources : 0;
        InhibitDestinations = destinations > 0 ? destinations : 0;
        InhibitMap.assign(static_cast<std::size_t>(InhibitSources)
                              * static_cast<std::size_t>(InhibitDestinations), false);
    }
    bool inhibitInRange(int source, int destination) const
    {
        return source >= 0 && source < InhibitSources && destination >= 0
            && destination < InhibitDestinations;
    }
    std::size_t inhibitIndex(int source, int destination) const
    {
        return static_cast<std::size_t>(source) * static_cast<std::size_t>(InhibitDestinations)
            + static_cast<std::size_t>(destination);
    }
    // Unchecked: callers check inhibitInRange first.
    bool inhibit(int source, int destination) const { return InhibitMap[inhibitIndex(source, destination)]; }
    void setInhibit(int source, int destination, bool inhibited) { InhibitMap[inhibitIndex(source, destination)] = inhibited; }

    std::vector<OutputStatusRecord> OutputStatus;

    // Salvos.
    int NumSalvos = 0;
    std::vector<QString> SalvoAlphaList;
    std::vector<int> SalvoNumberList;
    std::vector<int> SalvoPosition;
    std::vector<int> SalvoKeys;

    // One character per source channel; "1" = offered in the source box.
    QString DisplayList;

    // Main window.
    int OutputControlled = 0;
    int OutputListIndex = 0;
    int CurrentSource = 0;
    int SourceListIndex = 0;
    int OffListIndex = 0;
    bool ListShowsAll = false;
    bool Updating = false;
    bool SalvoMode = false;
    bool SalvoKeysShown = false;
    int SalvoSelected = 0;
    bool LoggedIn = false;

    // Settings held in memory.
    bool TcpIpMode = false;
    bool HideInhibits = true;
    std::int32_t StayOnTop = TopMost;
    QString ServerPath;
    int RefreshRate = 100;   // ms, 1..32500
    int FileTimeOut = 50;    // s, 1..3600
    int FileTimeOutTicks = 500;
    QString IpAddress = QStringLiteral("0.0.0.0");
    std::int32_t IpPort = 1250;
    int PollRate = 1;        // s, 1..3600
    int IpTimeOut = 30;      // unanswered poll ticks
    QString IpPassword;
    bool AutoReconnect = false;  // connect again by itself after the link was lost ("Auto Reconnect")
    QString UserName;
    QString UserPassword;
    QString AppDir;          // program directory, with a trailing separator

    // TCP/IP link.
    bool Connected = false;
    QByteArray RxBuffer;
    std::int32_t PendingTables = Tables::All;
    bool SystemOnline = false;
    int PollMissCount = 0;
    int RequestRetryTicks = 0;
    bool SystemReady = false;
    bool SwitcherPasswordShown = false;
    bool PanelPopulated = false;
    int ReconnectDelay = 1000;       // ms before the next automatic connect
    bool ReconnectAttempt = false;   // the connect under way was started by the panel itself

    // File mode.
    int XptMapStamp = 0;
    qint64 AlphaFileTime = 0;
    qint64 InhibitFileTime = 0;
    qint64 StatusFileTime = 0;
    int ServerStatus = 0;
    int FileMissCount = 0;
    bool FileErrorShown = false;
    bool FileTickPending = false;  // a poll tick's files are being read off the GUI thread

    // Error log.
    bool ErrorLogEnabled = true;
    bool ErrorLogArchive = true;
    std::int32_t ErrorLogMaxKB = 1000;
    bool ErrorLogReporting = false;  // a failure of the log is being reported: do not report again

    // Shut-down has run; it runs once whichever way the program ends.
    bool ShutDownDone = false;
};

// Start-up defaults of every variable; sets the poll timer's interval through the view.
void InitVariables(PanelState& s, Server& server);

// "Inpt0001" .. : the default name of source channel i.
QString DefaultInputAlpha(int channel);
