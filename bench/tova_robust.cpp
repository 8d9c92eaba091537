// tova-robust: the panel's settings file under random kills, and the panel's link under floods.
//
//   tova-robust                    both figures (1000 kills in a directory under $TMPDIR or /tmp)
//   tova-robust --kills N          N kills instead of 1000
//   tova-robust --dir PATH         kill the writer in a new directory under PATH (e.g. /dev/shm)
//   tova-robust --flood a|b|c      one flood only (the runner starts each in a process of its own)
//
// Each figure is printed beside its target with OK or MISSED, as tova-bench does; MB are 2^20
// bytes. The settings are written by WriteSettings in forked writers; each flood runs the panel's
// real link, receive path and decode timer on the event loop against a peer process on loopback.

#include "FuzzPanel.h"

#include "ServerMessages.h"

#include "app/MainWindow.h"
#include "app/QtLink.h"
#include "codec/ByteManipulation.h"
#include "protocol/TcpComm.h"
#include "state/PanelState.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

void Report(const std::string& what, double value, const char* unit, double target)
{
    std::printf("%-46s %9.1f %-6s   target <= %g %s   %s\n", what.c_str(), value, unit, target, unit,
                value <= target ? "OK" : "MISSED");
    std::fflush(stdout);
}

double Seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// ---- Settings writes killed at random moments ----

// Two complete settings that differ in most keys and in length (a long server path and display
// list in the second).
void ApplySettings(PanelState& s, int which)
{
    const bool a = which == 0;
    s.OutputControlled = a ? 0 : 41;
    s.TcpIpMode = a;
    s.HideInhibits = !a;
    s.StayOnTop = a ? TopMost : NotTopMost;
    s.DisplayList = a ? QString(32, u'1') : QString(200, u'0');
    s.ServerPath = a ? QStringLiteral("/srv/zeb/")
                     : QStringLiteral("/mnt/router-share/") + QString(300, u'x') + QStringLiteral("/net/");
    s.RefreshRate = a ? 100 : 2500;
    s.FileTimeOut = a ? 50 : 900;
    s.IpAddress = a ? QStringLiteral("127.0.0.1") : QStringLiteral("192.168.100.200");
    s.IpPort = a ? 1250 : 31250;
    s.PollRate = a ? 1 : 30;
    s.IpTimeOut = a ? 30 : 120;
    s.IpPassword = a ? QStringLiteral("abc") : QStringLiteral("a much longer server password");
    s.UserName = a ? QStringLiteral("op") : QStringLiteral("night shift supervisor");
    s.UserPassword = a ? QString() : QStringLiteral("letmein");
}

bool WriteState(FuzzPanel& p, int which)
{
    ApplySettings(p.s, which);
    return WriteSettings(p.panel);
}

const QByteArray OriginalSettings = QByteArrayLiteral(
    "; kept by hand\r\n[CONFIG]\r\nOutput=3\r\nTCP/IP Mode=Yes\r\nHide Inhibits=No\r\nDisplay List=\r\n"
    "Stay On Top=Yes\r\nCustom=kept\r\n\r\n[FILE]\r\nServer path=\r\nRefresh Rate=100\r\nTime Out=50\r\n\r\n"
    "[TCP/IP]\r\nIP Port=1250\r\nIP Address=10.0.0.1\r\nPoll Rate=1\r\nTime Out=30\r\nIP Password=\r\n\r\n"
    "[SECURITY]\r\nUser Name=\r\nPassword=\r\n");

// Files in the directory other than the panel's own: temporary files a killed write left behind.
QStringList Leftovers(const QString& dir)
{
    const QStringList own{SettingsFileName, QStringLiteral("DisplayList.dat"), QStringLiteral("Errorlog.txt")};
    QStringList left;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        if (!own.contains(name))
            left << QStringLiteral("%1 (%2 bytes)").arg(name).arg(QFileInfo(dir + name).size());
    return left;
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::printf("    cannot write %s\n", qPrintable(path));
}

// A writer process alternating between the two settings is killed at a random moment, kills
// times, in one directory; after each kill the settings file must be the original or one of the
// complete versions, and the display list file one of its versions.
void KillFigure(int kills, const QString& parent)
{
    QTemporaryDir scratch(parent + QStringLiteral("/tova-robust-XXXXXX")), work(parent + QStringLiteral("/tova-robust-XXXXXX"));
    const QString ini = SettingsFileName, list = QStringLiteral("DisplayList.dat");

    // The versions each file can hold, from the same writes in a scratch directory (each state
    // first, from the original file), and the time one write takes.
    std::set<QByteArray> iniOk{OriginalSettings}, listOk;
    QByteArray iniOf[2];  // the settings file after a write of each state
    FuzzPanel probe;
    probe.s.AppDir = scratch.path() + QDir::separator();
    const double t0 = Seconds();
    for (int start = 0; start < 2; ++start) {
        Put(probe.s.AppDir + ini, OriginalSettings);
        QFile::remove(probe.s.AppDir + list);
        for (int i = start; i < start + 20; ++i) {
            if (!WriteState(probe, i % 2))
                std::printf("    WriteSettings failed in %s\n", qPrintable(probe.s.AppDir));
            iniOk.insert(iniOf[i % 2] = ReadFile(probe.s.AppDir + ini));
            listOk.insert(ReadFile(probe.s.AppDir + list));
        }
    }
    const double writeSeconds = (Seconds() - t0) / 40;
    // Kills land from before the writer's first write to its third: fork to the end of one write
    // in a child, plus two writes.
    double firstWrite = Seconds();
    for (int i = 0; i < 10; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            WriteState(probe, i % 2);
            _exit(0);
        }
        waitpid(child, nullptr, 0);
    }
    firstWrite = (Seconds() - firstWrite) / 10;
    const double maxDelay = firstWrite + 2 * writeSeconds;

    // The writer counts its finished writes in memory shared with this process.
    auto* finished = static_cast<int*>(mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const QString dir = work.path() + QDir::separator();
    Put(dir + ini, OriginalSettings);
    std::mt19937 rng(std::random_device{}());
    std::uniform_real_distribution<double> delay(0, maxDelay);
    int failures = 0, mostLeft = 0, landed[4] = {};  // kills after 0, 1, 2, 3+ finished writes
    for (int k = 0; k < kills; ++k) {
        // The writer starts with the state the file does not hold, so its first write changes it.
        const int first = ReadFile(dir + ini) == iniOf[0] ? 1 : 0;
        *finished = 0;
        const pid_t child = fork();
        if (child == 0) {
            FuzzPanel p;
            p.s.AppDir = dir;
            for (int i = first;; i ^= 1, ++*finished)
                WriteState(p, i);
        }
        const double wait = delay(rng);
        const timespec ts{time_t(wait), long((wait - double(time_t(wait))) * 1e9)};
        nanosleep(&ts, nullptr);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        ++landed[std::min(*finished, 3)];

        // No display list file is right only while the original settings file is still there.
        const QByteArray now = ReadFile(dir + ini), nowList = ReadFile(dir + list);
        const bool good = iniOk.count(now) && (listOk.count(nowList) || (nowList.isEmpty() && now == OriginalSettings));
        if (!good && ++failures <= 5)
            std::printf("    kill %d after %.2f ms: settings %lld bytes, display list %lld bytes\n", k, wait * 1e3,
                        qlonglong(now.size()), qlonglong(nowList.size()));
        mostLeft = std::max(mostLeft, int(Leftovers(dir).size()));
    }
    munmap(finished, sizeof(int));

    std::printf("settings writes killed at random moments, in %s\n", qPrintable(parent));
    std::printf("    one WriteSettings (display list + settings, 2 fsyncs) %.2f ms, fork to first write done %.2f ms;"
                " kills at 0..%.2f ms after fork\n", writeSeconds * 1e3, firstWrite * 1e3, maxDelay * 1e3);
    std::printf("    settings file: original %lld bytes, written %lld and %lld bytes; kills after 0 finished writes"
                " %d, after 1 %d, after 2 %d, after 3+ %d\n", qlonglong(OriginalSettings.size()),
                qlonglong(iniOf[0].size()), qlonglong(iniOf[1].size()), landed[0], landed[1], landed[2], landed[3]);
    Report("kills leaving a file not whole (of " + std::to_string(kills) + ")", failures, "", 0);
    const QStringList left = Leftovers(dir);
    FuzzPanel clean;
    clean.s.AppDir = dir;
    WriteState(clean, 0);
    std::printf("    temporary files left by the kills: %lld (most at once %d); after one more complete write: %lld\n",
                qlonglong(left.size()), mostLeft, qlonglong(Leftovers(dir).size()));
    for (const QString& name : left.mid(0, 3))
        std::printf("      %s\n", qPrintable(name));
}

// ---- Floods of the panel's link ----

constexpr qint64 FloodBytes = 100LL * 1024 * 1024;
constexpr double FloodSeconds = 20;

// A size from /proc/self/status ("VmRSS:", "VmHWM:") in MB of 2^20 bytes.
double StatusMb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtod(line.c_str() + std::strlen(key), nullptr) / 1024;
    return -1;
}

// The peer, in a process of its own so that its buffers are not counted in the panel's memory:
// waits for the panel's poll, then writes head and FloodBytes of body as fast as the panel reads
// them (blocking writes), counting in shared memory how many bytes the kernel took.
[[noreturn]] void Peer(int listener, qint64* progress, char kind, const QByteArray& head, std::vector<char> body)
{
    std::signal(SIGPIPE, SIG_IGN);
    const int s = accept(listener, nullptr, nullptr);
    char poll = 0;
    qint64& sent = *progress;
    if (s >= 0 && read(s, &poll, 1) == 1 && write(s, head.constData(), size_t(head.size())) == head.size()) {
        unsigned x = 2463534242u;
        while (sent < FloodBytes) {
            if (kind == 'b')
                for (char& c : body) {
                    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
                    c = char(x);
                }
            const ssize_t n = write(s, body.data(), std::size_t(std::min<qint64>(qint64(body.size()), FloodBytes - sent)));
            if (n <= 0)
                break;
            sent += n;
        }
    }
    _exit(0);
}

// One flood against the real link (QtLink), the real decode timer (MainWindow's tmrDecode) and
// the real receive path, on the event loop; the other ports do nothing.
int FloodChild(char kind, int argc, char** argv)
{
    // (a) a name table that never ends: seven-bit bytes, never 0xFF; (b) random bytes, made by
    // the peer; (c) valid but useless messages: version replies and poll answers.
    const char* name = kind == 'a' ? "(a) unfinished message" : kind == 'b' ? "(b) random bytes" : "(c) valid messages";
    const QByteArray head = kind == 'a' ? QByteArray(1, char(Cmd::AlphaTable)) : QByteArray();
    const QByteArray unit = kind == 'a' ? QByteArray(95 * 8, ' ') : VersionMessage(1201) + char(Cmd::PollPresent);
    std::vector<char> body(std::size_t(64 * 1024 / unit.size() * unit.size()));
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = kind == 'a' ? char(0x20 + i % 95) : unit[qsizetype(i % std::size_t(unit.size()))];

    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof addr;
    auto* progress = static_cast<qint64*>(
        mmap(nullptr, sizeof(qint64), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listener, 1) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || progress == MAP_FAILED) {
        std::perror("listen");
        return 1;
    }
    *progress = 0;
    const pid_t peer = fork();
    if (peer == 0)
        Peer(listener, progress, kind, head, body);
    close(listener);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir appDir;
    // The real window and socket link, the other ports doing nothing.
    struct FloodPanel {
        PanelState s;
        NullPrompts prompts;
        NullClock clock;
        NullServer server;
        InlineWorker worker;
        Panel panel{s, window, prompts, clock, server, link, worker};
        MainWindow window{panel};
        QtLink link{panel};
    } wired;
    PanelState& s = wired.s;
    Panel& panel = wired.panel;
    InitVariables(s, wired.server);
    s.AppDir = appDir.path() + QDir::separator();
    s.TcpIpMode = true;
    s.IpAddress = QStringLiteral("127.0.0.1");
    s.IpPort = ntohs(addr.sin_port);
    ConnectSocket(panel);

    // A 10 ms watchdog: measures the longest gap of the event loop, starts the flood once the
    // link is up (the panel's poll), and ends the run when the peer has closed or time is up.
    bool flooding = false;
    double before = 0, started = 0, longestGap = 0, last = Seconds();
    // The panel takes bytes only as fast as it decodes messages (one a millisecond) and TCP holds
    // the peer back, so a flood of small messages does not get through in this time.
    const double deadline = Seconds() + FloodSeconds;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const double now = Seconds();
        longestGap = std::max(longestGap, now - last);
        last = now;
        if (!flooding && s.Connected) {
            before = StatusMb("VmRSS:");
            flooding = true;
            started = now;
            longestGap = 0;
            SendToSwitcher(panel, QByteArray(1, char(Cmd::Poll)));
        } else if ((flooding && !s.Connected) || now > deadline) {
            app.quit();
        }
    });
    watchdog.start(10);
    app.exec();
    const double rss = StatusMb("VmRSS:"), hwm = StatusMb("VmHWM:"), seconds = Seconds() - started;

    kill(peer, SIGKILL);  // gone already unless time ran out
    waitpid(peer, nullptr, 0);
    const qint64 sent = *progress;
    int full = 0;
    for (const QByteArray& line : ReadFile(s.AppDir + QStringLiteral("Errorlog.txt")).split('\n'))
        full += line.contains("Receive buffer full");

    const std::string what = std::string("flood ") + name;
    Report(what + ": memory growth", hwm - before, "MB", 16);
    std::printf("    VmRSS before %.1f MB, after %.1f MB, VmHWM after %.1f MB; peer sent %.1f MB in %.2f s%s;"
                " %d 'buffer full' log entries\n", before, rss, hwm, double(sent) / 1048576.0, seconds,
                sent == FloodBytes ? "" : " (the rest held back)", full);
    Report(what + ": longest event-loop gap", longestGap * 1e3, "ms", 100);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int kills = 1000;
    QString dir = QDir::tempPath();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--kills") == 0 && i + 1 < argc) {
            kills = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            dir = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--flood") == 0 && i + 1 < argc) {
            return FloodChild(argv[i + 1][0], argc, argv);
        } else {
            std::fprintf(stderr, "usage: %s [--kills N] [--dir PATH] [--flood a|b|c]\n", argv[0]);
            return 2;
        }
    }
    // The writers are forked before any Qt thread exists.
    KillFigure(kills, dir);
    // Each flood in a process of its own, so that none inherits another's peak or heap.
    for (const char* kind : {"a", "b", "c"}) {
        std::fflush(stdout);
        (void)!std::system(("/proc/" + std::to_string(getpid()) + "/exe --flood " + kind).c_str());
    }
    return 0;
}
