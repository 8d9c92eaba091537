// tova-bench: CPU time and memory of the panel's paths that grow with the router.
//
//   tova-bench            every figure
//   tova-bench --quick    leaves out the 16383-source router
//   tova-bench --tables S D   only the tables of an S x D router (for a profiler)
//   tova-bench --rss S D      VmRSS in kB after loading an S x D router (used by the runner itself)
//
// Each figure is printed beside its target, one line each. The runner drives the panel's own
// code (the receive path, the table handlers, UpdateAlphaData, FilePollTick) on a Panel whose
// ports do nothing; it is not the GUI panel, so its memory is that of the state without widgets.

#include "FuzzPanel.h"

#include "FileServer.h"
#include "RouterModel.h"
#include "ServerMessages.h"

#include "core/Display.h"
#include "filemode/PollCycle.h"
#include "codec/ByteManipulation.h"
#include "protocol/TcpComm.h"
#include "state/PanelState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// VmRSS of this process in kB, -1 when /proc does not say.
long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void Report(const std::string& what, double value, const char* unit, double target)
{
    std::printf("%-46s %9.1f %-6s   target <= %g %s   %s\n", what.c_str(), value, unit, target, unit,
                value <= target ? "OK" : "MISSED");
    std::fflush(stdout);
}

// Eight-character names in no particular order, the same on every run: "IN" or "OU" and six
// letters and digits from a fixed pseudo-random sequence.
std::vector<QByteArray> Names(const char* prefix, int count, unsigned seed)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<QByteArray> names;
    names.reserve(std::size_t(count));
    unsigned x = seed;
    for (int i = 0; i < count; ++i) {
        QByteArray name(prefix);
        for (int k = 0; k < 6; ++k) {
            x = x * 1103515245u + 12345u;
            name.append(Alphabet[(x >> 16) % 36]);
        }
        names.push_back(name);
    }
    return names;
}

// The tables a Server Module sends for a router: source and destination names, the crosspoint
// map (destination d on source d modulo the sources) and the inhibit map (one inhibited source
// per destination). With alike set every source has the same name: the name sorts' worst case.
std::vector<QByteArray> RouterTables(int sources, int destinations, bool alike = false)
{
    std::vector<QByteArray> messages;
    std::vector<QByteArray> sourceNames = Names("IN", sources, 1u);
    if (alike)
        sourceNames.assign(sourceNames.size(), QByteArrayLiteral("INPUT   "));
    messages.push_back(AlphaTableMessage(AlphaType::Sources, sourceNames, 8));
    messages.push_back(AlphaTableMessage(AlphaType::Destinations, Names("OU", destinations, 2u), 8));
    std::vector<int> crosspoints(std::size_t(destinations), 0);
    for (int d = 0; d < destinations; ++d)
        crosspoints[std::size_t(d)] = d % sources;
    for (QByteArray& m : CrosspointMapMessages(crosspoints, 1024))
        messages.push_back(std::move(m));
    std::vector<std::vector<bool>> rows(std::size_t(destinations), std::vector<bool>(std::size_t(sources), false));
    for (int d = 0; d < destinations; ++d)
        rows[std::size_t(d)][std::size_t((d * 7 + 3) % sources)] = true;
    messages.push_back(InhibitMapMessage(0, rows));
    return messages;
}

// Where the panels of this run keep their error log (a temporary directory).
QString AppDir;

// Prints the entries of the panel's error log, if it wrote one.
void ShowErrorLog(const QString& appDir)
{
    QFile log(appDir + QStringLiteral("Errorlog.txt"));
    if (!log.open(QIODevice::ReadOnly))
        return;
    std::printf("    the panel logged:\n");
    for (const QByteArray& line : log.readAll().split('\n'))
        if (line.startsWith(' ') && line.contains("Error"))
            std::printf("      %s\n", line.trimmed().simplified().constData());
    log.close();
    log.remove();
}

struct Loaded {
    double decodeSeconds = 0;
    double showSeconds = 0;
    int shown = 0;
    int inputs = 0;
    int outputs = 0;
};

// Feeds the tables through the receive path as one burst, decodes them with the decode timer's
// tick and shows the router as the poll tick does once every table is in.
Loaded Load(FuzzPanel& p, const std::vector<QByteArray>& messages)
{
    PanelState& s = p.s;
    InitVariables(s, p.server);
    s.AppDir = AppDir;
    s.TcpIpMode = true;
    s.Connected = true;
    s.SystemOnline = true;
    s.PendingTables = Tables::SourceNames | Tables::DestinationNames | Tables::CrosspointMap | Tables::InhibitMap;

    Loaded r;
    const double t0 = CpuSeconds();
    for (const QByteArray& m : messages)
        scktServer_DataArrival(p.panel, m);
    while (!s.RxBuffer.isEmpty())
        tmrDecode_Timer(p.panel);
    const double t1 = CpuSeconds();
    s.Updating = true;
    s.PanelPopulated = true;
    UpdateAlphaData(p.panel);
    s.Updating = false;
    const double t2 = CpuSeconds();

    r.decodeSeconds = t1 - t0;
    r.showSeconds = t2 - t1;
    r.shown = p.view.items;
    r.inputs = s.NumInputs;
    r.outputs = s.NumOutputs;
    if (s.PendingTables != 0)
        std::fprintf(stderr, "tables still pending: %#x\n", unsigned(s.PendingTables));
    return r;
}

double TableFigure(int sources, int destinations, double targetMs, bool alike = false)
{
    auto messages = RouterTables(sources, destinations, alike);
    auto p = std::make_unique<FuzzPanel>();
    const Loaded r = Load(*p, messages);
    const double ms = (r.decodeSeconds + r.showSeconds) * 1e3;
    const std::string what = "tables " + std::to_string(sources) + "x" + std::to_string(destinations)
        + (alike ? " alike names" : " decode+sort+show");
    Report(what, ms, "ms CPU", targetMs);
    std::printf("    decode+sort %.1f ms, show %.1f ms; %d sources, %d destinations, %d entries shown\n",
                r.decodeSeconds * 1e3, r.showSeconds * 1e3, r.inputs, r.outputs, r.shown);
    ShowErrorLog(AppDir);
    return ms;
}

// Child mode: load one router and print VmRSS in kB (the messages freed first). Without sources
// nothing is loaded: the runner's own base.
int ResidentAfterLoad(int sources, int destinations)
{
    auto p = std::make_unique<FuzzPanel>();
    if (sources > 0 && destinations > 0) {
        auto messages = RouterTables(sources, destinations);
        Load(*p, messages);
    }
    std::printf("%ld\n", ResidentKb());
    return 0;
}

long ResidentInChild(int sources, int destinations)
{
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe --rss "
        + std::to_string(sources) + " " + std::to_string(destinations);
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return -1;
    long kb = -1;
    if (std::fscanf(child, "%ld", &kb) != 1)
        kb = -1;
    pclose(child);
    return kb;
}

// A File-mode poll tick that finds nothing changed: extended files of a 256 x 256 router.
double PollTickMicroseconds(int ticks)
{
    QTemporaryDir dir;
    RouterConfig config;
    config.sources = 256;
    config.destinations = 256;
    config.systemType = 1351;  // 257 routable sources: the extended files
    RouterModel model(config);
    FileServerOptions options;
    options.directory = dir.path();
    options.scanMilliseconds = 1000000;
    FileServer server(model, options);
    QString error;
    if (!server.start(&error) || server.layout() != FileServer::Layout::Extended) {
        std::fprintf(stderr, "file server: %s\n", qPrintable(error));
        return -1;
    }

    auto p = std::make_unique<FuzzPanel>();
    InitVariables(p->s, p->server);
    p->s.AppDir = AppDir;
    p->s.TcpIpMode = false;
    p->s.ServerPath = dir.path() + QDir::separator();
    p->s.DisplayList = QString(257, u'1');
    FilePollTick(p->panel);  // reads every file once
    FilePollTick(p->panel);
    if (p->s.NumInputs != 257 || p->s.FileMissCount != 0)
        std::fprintf(stderr, "file mode: %d sources, %d missed ticks\n", p->s.NumInputs, p->s.FileMissCount);

    const double t0 = CpuSeconds();
    for (int i = 0; i < ticks; ++i)
        FilePollTick(p->panel);
    const double t1 = CpuSeconds();
    if (p->s.FileMissCount != 0)
        std::fprintf(stderr, "file mode: %d missed ticks\n", p->s.FileMissCount);
    return (t1 - t0) * 1e6 / ticks;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir appDir;
    AppDir = appDir.path() + QDir::separator();
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--tables") == 0 && i + 2 < argc) {
            // One table figure only, for a profiler.
            const int sources = std::atoi(argv[i + 1]);
            TableFigure(sources, std::atoi(argv[i + 2]), sources > 4096 ? 1000 : 50);
            return 0;
        } else if (std::strcmp(argv[i], "--rss") == 0 && i + 2 < argc) {
            return ResidentAfterLoad(std::atoi(argv[i + 1]), std::atoi(argv[i + 2]));
        } else {
            std::fprintf(stderr, "usage: %s [--quick]\n", argv[0]);
            return 2;
        }
    }
    QCoreApplication app(argc, argv);  // the file server's timer wants one

    std::printf("tova-bench: CPU time from CLOCK_PROCESS_CPUTIME_ID, memory from /proc/self/status\n");
    TableFigure(256, 256, 50);
    TableFigure(1024, 1024, 50);
    TableFigure(4096, 4096, 50);
    if (!quick) {
        TableFigure(16383, 4096, 1000);
        TableFigure(16383, 4096, 1000, true);
    }

    const int ticks = 10000;
    Report("file poll tick, nothing changed (256x256 ext)", PollTickMicroseconds(ticks), "us CPU", 50);
    ShowErrorLog(AppDir);

    std::printf("resident memory (this runner with null ports, not the GUI panel; nothing loaded: %.1f MB)\n",
                double(ResidentInChild(0, 0)) / 1024.0);
    Report("VmRSS after loading 256x256", double(ResidentInChild(256, 256)) / 1024.0, "MB", 60);
    Report("VmRSS after loading 4096x4096", double(ResidentInChild(4096, 4096)) / 1024.0, "MB", 120);
    return 0;
}
