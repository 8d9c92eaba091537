// tova-bench-gui: wall-clock figures of the real main window, wired as src/app/main.cpp wires it.
//
//   tova-bench-gui                 every figure
//   tova-bench-gui --takes N       N takes in TCP/IP mode (default 1000), N / 20 in File mode
//   tova-bench-gui --starts N      N start-ups of the real program (default 20)
//
// Offscreen unless QT_QPA_PLATFORM says otherwise (the started program inherits the platform).
// Each figure is printed beside its target, one line each, in tova-bench's format.

#include "FileServer.h"
#include "RouterModel.h"
#include "SimServer.h"

#include "app/Program.h"
#include "core/Startup.h"
#include "state/Panel.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;

void Report(const std::string& what, double value, const char* unit, double target)
{
    std::printf("%-46s %9.1f %-6s   target <= %g %s   %s\n", what.c_str(), value, unit, target, unit,
                value <= target ? "OK" : "MISSED");
    std::fflush(stdout);
}

// The value below which the given share of the samples lie (nearest rank); without samples
// infinity, which misses every target.
double Percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return std::numeric_limits<double>::infinity();
    std::sort(samples.begin(), samples.end());
    std::size_t rank = std::size_t(share * double(samples.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, samples.size());
    return samples[rank - 1];
}

// Runs the event loop until done() holds, sleeping in the loop while nothing happens; false on
// time-out. The guard timer wakes the loop when no event would (precise: a coarse one may fire
// early, before the deadline).
bool SpinUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    QTimer guard;
    guard.setTimerType(Qt::PreciseTimer);
    guard.start(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

RouterConfig Router256()
{
    RouterConfig config;
    config.sources = 256;
    config.destinations = 256;
    return config;
}

// The panel as main() builds it, in AppDir dir; Form_Load runs in start().
struct WiredPanel {
    Program program;
    PanelState& state = program.state();
    Panel& panel = program.panel();
    MainWindow& window = program.window();

    explicit WiredPanel(const QString& dir) : program(QDir::toNativeSeparators(dir) + QDir::separator()) {}

    // Writes the settings file with the panel's own writer: destination 1, and either TCP/IP mode
    // on 127.0.0.1:port or File mode on serverDir at the default refresh rate.
    bool writeSettings(quint16 port, const QString& serverDir = QString())
    {
        state.OutputControlled = 0;
        state.TcpIpMode = serverDir.isEmpty();
        state.IpAddress = QStringLiteral("127.0.0.1");
        state.IpPort = port;
        state.ServerPath = serverDir.isEmpty() ? QString() : QDir::toNativeSeparators(serverDir) + QDir::separator();
        return WriteSettings(panel);
    }

    void start() { program.start(); }

    QComboBox* box() const { return window.findChild<QComboBox*>(QStringLiteral("cmboSourceSelect")); }

    // Says so when the box does not show the source the router has on destination 1.
    void checkShows(const RouterModel& router) const
    {
        const int index = box()->currentIndex();
        if (index < 0 || index >= int(state.ComboChannelList.size())
            || state.ComboChannelList[std::size_t(index)] != router.sourceOf(0))
            std::printf("    the box shows \"%s\", the router has source %d\n", qPrintable(box()->currentText()),
                        router.sourceOf(0) + 1);
    }

    // Waits until the source box lists the router's sources and may be used.
    bool populated(int sources, int timeoutMs)
    {
        return SpinUntil([&] {
            return (state.PanelPopulated || !state.TcpIpMode) && box()->isEnabled() && box()->count() == sources;
        }, timeoutMs);
    }
};

// Notes when the box last painted itself.
class PaintClock final : public QObject {
public:
    Steady::time_point painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = Steady::now();
        return false;
    }
};

// Takes by arrow key on the closed box, Down and Up in turn (two different sources, so every
// take is a real change). Each time runs from the key press to the box painting the source the
// server confirmed: the box snaps back at once and moves only on the confirmation. Before take i
// the event loop runs (i * 37) % spreadMs ms, so that choices fall at every point of a poll tick.
std::vector<double> TimeTakes(QComboBox* box, int takes, int spreadMs, int timeoutMs)
{
    PaintClock paints;
    box->installEventFilter(&paints);
    int target = -1;
    Steady::time_point confirmed;
    const QMetaObject::Connection watch = QObject::connect(box, &QComboBox::currentIndexChanged, [&](int index) {
        if (index == target)
            confirmed = Steady::now();
    });
    std::vector<double> ms;
    ms.reserve(std::size_t(takes));
    for (int i = 0; i < takes; ++i) {
        if (spreadMs > 0)
            SpinUntil([] { return false; }, (i * 37) % spreadMs);
        const bool down = i % 2 == 0;
        target = box->currentIndex() + (down ? 1 : -1);
        const Steady::time_point start = Steady::now();
        QTest::keyClick(box, down ? Qt::Key_Down : Qt::Key_Up);
        confirmed = Steady::time_point();  // the key moved the box before it snapped back
        if (!SpinUntil([&] { return box->currentIndex() == target && confirmed != Steady::time_point()
                                 && paints.painted > confirmed; }, timeoutMs)) {
            std::printf("    take %d not shown within %d ms\n", i + 1, timeoutMs);
            break;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(paints.painted - start).count());
    }
    QObject::disconnect(watch);
    box->removeEventFilter(&paints);
    return ms;
}

// Prints what the panel wrote to its error log, if anything.
void ShowErrorLog(const QString& appDir)
{
    QFile log(QDir(appDir).filePath(QStringLiteral("Errorlog.txt")));
    if (log.open(QIODevice::ReadOnly))
        std::printf("    the panel logged:\n%s\n", log.readAll().constData());
}

void TcpTakes(int takes)
{
    SimServer sim(Router256());
    if (!sim.listen(QHostAddress::LocalHost, 0)) {
        std::printf("simulator: %s\n", qPrintable(sim.errorString()));
        return;
    }
    QTemporaryDir appDir;
    WiredPanel p(appDir.path());
    p.writeSettings(sim.serverPort());
    p.start();
    if (!p.populated(256, 10000)) {
        std::printf("TCP/IP: the panel was not populated within 10 s\n");
        return;
    }
    const std::vector<double> ms = TimeTakes(p.box(), takes, 0, 2000);
    p.checkShows(sim.model());
    const std::string what = "take round trip TCP/IP 256x256 (" + std::to_string(ms.size()) + ")";
    Report(what + " median", Percentile(ms, 0.5), "ms", 2);
    Report(what + " p99", Percentile(ms, 0.99), "ms", 5);
    ShowErrorLog(appDir.path());
}

void FileTakes(int takes)
{
    constexpr int ScanMs = 1;  // how often the simulator looks for command files
    // The simulator shares the panel's thread, and its fsync of every rewritten file (3 ms, up to
    // 13 ms on this disk) would hold up the panel's poll tick: its files go to memory when it can.
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir serverDir((inMemory ? QStringLiteral("/dev/shm") : QDir::tempPath())
                            + QStringLiteral("/tova-bench-gui-XXXXXX"));
    RouterModel model(Router256());
    FileServerOptions options;
    options.directory = serverDir.path();
    options.scanMilliseconds = ScanMs;
    FileServer files(model, options);
    QString error;
    if (!files.start(&error)) {
        std::printf("file server: %s\n", qPrintable(error));
        return;
    }
    QTemporaryDir appDir;
    WiredPanel p(appDir.path());
    p.writeSettings(1250, serverDir.path());
    p.start();
    if (!p.populated(256, 5000)) {
        std::printf("File mode: the panel was not populated within 5 s\n");
        return;
    }
    const std::vector<double> ms = TimeTakes(p.box(), takes, p.state.RefreshRate, 2000);
    p.checkShows(model);
    const std::string what = "take round trip File 256x256 scan " + std::to_string(ScanMs) + "ms ("
        + std::to_string(ms.size()) + ")";
    Report(what + " max", Percentile(ms, 1.0), "ms", p.state.RefreshRate + 5);
    std::printf("    median %.1f ms; refresh %d ms; the simulator looked for command files every %d ms (its default"
                " is 50 ms), its files in %s\n", Percentile(ms, 0.5), p.state.RefreshRate, ScanMs,
                inMemory ? "/dev/shm" : "the temporary directory");
    ShowErrorLog(appDir.path());
}

// Start-up of the real program: from just before the fork to the first message it sends the
// simulator. The program sends nothing before main() has shown the window and entered the event
// loop (connecting is queued to the loop), so the figure is start to window shown plus the
// connect and one exchange over loopback: the simulator asks for the system type on connect and
// the program answers. The program runs from a copy in a temporary directory, which it takes as
// its own directory for the settings file.
void StartToShown(int starts)
{
    SessionOptions session;
    session.sendTypeRequest = true;
    SimServer sim(Router256(), session);
    if (!sim.listen(QHostAddress::LocalHost, 0)) {
        std::printf("simulator: %s\n", qPrintable(sim.errorString()));
        return;
    }
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("tova-vantrel"));
    if (!QFile::copy(QStringLiteral(TOVA_EXECUTABLE), program)) {
        std::printf("cannot copy %s\n", TOVA_EXECUTABLE);
        return;
    }
    WiredPanel(dir.path()).writeSettings(sim.serverPort());

    int answering = 0;  // the connection whose first message is awaited (numbered from 1)
    Steady::time_point answered;
    sim.setTrace([&](const QString& line) {
        if (answered == Steady::time_point() && line.startsWith(QStringLiteral("#%1 <").arg(answering)))
            answered = Steady::now();
    });

    std::vector<double> ms;
    for (int i = 0; i < starts; ++i) {
        QProcess child;
        child.setStandardOutputFile(QProcess::nullDevice());
        answering = i + 1;
        answered = Steady::time_point();
        const Steady::time_point start = Steady::now();
        child.start(program, {});
        const bool shown = SpinUntil([&] { return answered != Steady::time_point(); }, 10000);
        if (shown)
            ms.push_back(std::chrono::duration<double, std::milli>(answered - start).count());
        child.terminate();  // SIGTERM: the program's normal shut-down
        if (!child.waitForFinished(5000))
            child.kill();
        if (!shown) {
            std::printf("    start %d: no message from the program within 10 s; it wrote:\n%s\n", i + 1,
                        child.readAllStandardError().constData());
            break;
        }
    }
    const std::string what = "start to window shown, " + QGuiApplication::platformName().toStdString() + " ("
        + std::to_string(ms.size()) + ")";
    Report(what + " median", Percentile(ms, 0.5), "ms", 300);
    Report(what + " max", Percentile(ms, 1.0), "ms", 300);
}

} // namespace

int main(int argc, char** argv)
{
    int takes = 1000;
    int starts = 20;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--takes") == 0 && i + 1 < argc) {
            takes = std::max(2, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--starts") == 0 && i + 1 < argc) {
            starts = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--takes N] [--starts N]\n", argv[0]);
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));  // as main() does

    std::printf("tova-bench-gui: wall-clock times (steady clock) of the real main window, platform %s\n",
                qPrintable(QGuiApplication::platformName()));
    TcpTakes(takes);
    FileTakes(std::max(2, takes / 20));
    StartToShown(starts);
    return 0;
}
