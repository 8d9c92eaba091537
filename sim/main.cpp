// zeb-server-sim: a router Server Module for the panel to talk to over TCP, and the server
// software's network data files in a directory for File mode, both on one router.

#include "FileServer.h"
#include "NetworkFiles.h"
#include "RouterModel.h"
#include "SimServer.h"
#include "platform/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int BadOptions = 2;

struct Settings {
    RouterModel::Config router;
    SessionOptions session;
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 1250;
    int pollPanel = 0;
    bool verbose = false;
    bool tcp = true;
    bool files = false;
    FileServerOptions fileOptions;
    int outageAfter = 0;  // seconds; 0: no outage
    int outageFor = 0;
    FileServer::Outage outageKind = FileServer::Outage::Removed;
    // Names given on the command line: 0-based channel and name.
    std::vector<std::pair<int, QByteArray>> sourceNames;
    std::vector<std::pair<int, QByteArray>> destinationNames;
};

class OptionError {
public:
    explicit OptionError(QString text) : m_text(std::move(text)) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

int number(const QString& text, const QString& what, int low, int high)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high)
        throw OptionError(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                              .arg(what)
                              .arg(low)
                              .arg(high)
                              .arg(text));
    return value;
}

// "SRC:DST", 1-based.
Crosspoint inhibit(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        throw OptionError(QStringLiteral("--inhibit wants SRC:DST, not \"%1\"").arg(text));
    const QString what = QStringLiteral("a channel of --inhibit");
    return {number(parts[0], what, 1, RouterModel::MaxChannels) - 1,
            number(parts[1], what, 1, RouterModel::MaxChannels) - 1};
}

// "NAME:KEY:SRC>DST,SRC>DST", 1-based; SRC may be OFF (the OFF source of 1301 and 1351).
Salvo salvo(const QString& text, const RouterModel::Config& router)
{
    const qsizetype first = text.indexOf(QLatin1Char(':'));
    const qsizetype second = first < 0 ? -1 : text.indexOf(QLatin1Char(':'), first + 1);
    if (first <= 0 || second < 0)
        throw OptionError(QStringLiteral("--salvo wants NAME:KEY:SRC>DST,..., not \"%1\"").arg(text));
    Salvo s;
    s.name = text.left(first).toLatin1();
    s.key = number(text.mid(first + 1, second - first - 1), QStringLiteral("the key of --salvo"), 0,
                   RouterModel::MaxKey);
    const QString changes = text.mid(second + 1).trimmed();
    if (changes.isEmpty())
        return s;
    const QString what = QStringLiteral("a channel of --salvo");
    for (const QString& change : changes.split(QLatin1Char(','))) {
        const QStringList ends = change.split(QLatin1Char('>'));
        if (ends.size() != 2)
            throw OptionError(QStringLiteral("--salvo change must be SRC>DST, not \"%1\"").arg(change));
        const bool off = ends[0].trimmed().compare(QStringLiteral("OFF"), Qt::CaseInsensitive) == 0;
        if (off && !RouterModel::typeHasOffSource(router.systemType))
            throw OptionError(QStringLiteral("--salvo: only systems of type 1301 and 1351 have an OFF source"));
        const int source = off ? router.sources : number(ends[0], what, 1, RouterModel::MaxChannels) - 1;
        s.changes.push_back({source, number(ends[1], what, 1, RouterModel::MaxChannels) - 1});
    }
    return s;
}

QByteArray password(const QString& text)
{
    if (text.isEmpty() || text.size() > 127)
        throw OptionError(QStringLiteral("--password must be 1 to 127 characters"));
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            throw OptionError(QStringLiteral("--password may hold only printable ASCII characters"));
    return text.toLatin1();
}

Settings settingsFrom(const QCommandLineParser& p)
{
    Settings s;
    if (p.isSet(QStringLiteral("listen"))) {
        const QString text = p.value(QStringLiteral("listen"));
        if (!s.address.setAddress(text))
            throw OptionError(QStringLiteral("--listen wants an IP address, not \"%1\"").arg(text));
    }
    if (p.isSet(QStringLiteral("port")))
        s.port = quint16(number(p.value(QStringLiteral("port")), QStringLiteral("--port"), 0, 65535));

    RouterModel::Config& r = s.router;
    const int max = RouterModel::MaxChannels;
    if (p.isSet(QStringLiteral("sources")))
        r.sources = number(p.value(QStringLiteral("sources")), QStringLiteral("--sources"), 1, max);
    if (p.isSet(QStringLiteral("destinations")))
        r.destinations = number(p.value(QStringLiteral("destinations")), QStringLiteral("--destinations"), 1, max);
    if (p.isSet(QStringLiteral("type"))) {
        r.systemType = number(p.value(QStringLiteral("type")), QStringLiteral("--type"), 0, 16383);
        if (r.systemType != 1201 && r.systemType != 1301 && r.systemType != 1351)
            throw OptionError(QStringLiteral("--type must be 1201, 1301 or 1351"));
    }
    if (p.isSet(QStringLiteral("name-length")))
        r.nameLength = number(p.value(QStringLiteral("name-length")), QStringLiteral("--name-length"), 1,
                              RouterModel::MaxNameLength);
    for (const QString& text : p.values(QStringLiteral("inhibit")))
        r.inhibits.push_back(inhibit(text));
    // "N:TEXT", 1-based; the channel must exist.
    const auto names = [&p](const char* option, int count, std::vector<std::pair<int, QByteArray>>& out) {
        for (const QString& text : p.values(QLatin1String(option))) {
            const qsizetype colon = text.indexOf(u':');
            const QString what = QStringLiteral("the channel of --%1").arg(QLatin1String(option));
            if (colon < 1 || colon == text.size() - 1)
                throw OptionError(QStringLiteral("--%1 wants N:NAME, not \"%2\"").arg(QLatin1String(option), text));
            out.emplace_back(number(text.left(colon), what, 1, count) - 1, text.mid(colon + 1).toLatin1());
        }
    };
    names("source-name", r.sources, s.sourceNames);
    names("destination-name", r.destinations, s.destinationNames);
    for (const QString& text : p.values(QStringLiteral("salvo")))
        r.salvos.push_back(salvo(text, r));
    if (const QString problem = r.check(); !problem.isEmpty())
        throw OptionError(problem);

    SessionOptions& o = s.session;
    if (p.isSet(QStringLiteral("password")))
        o.password = password(p.value(QStringLiteral("password")));
    o.sendTypeRequest = p.isSet(QStringLiteral("send-type-request"));
    o.sendVersion = p.isSet(QStringLiteral("send-version"));
    o.switcherPresent = !p.isSet(QStringLiteral("absent"));
    o.silent = p.isSet(QStringLiteral("silent"));
    if (p.isSet(QStringLiteral("close-after")))
        o.closeAfter = number(p.value(QStringLiteral("close-after")), QStringLiteral("--close-after"), 1,
                              1000000000);
    o.byteByByte = p.isSet(QStringLiteral("byte-by-byte"));
    o.noise = p.isSet(QStringLiteral("noise"));
    if (p.isSet(QStringLiteral("poll-panel")))
        s.pollPanel = number(p.value(QStringLiteral("poll-panel")), QStringLiteral("--poll-panel"), 1, 3600000);
    s.verbose = p.isSet(QStringLiteral("verbose"));

    s.files = p.isSet(QStringLiteral("files"));
    s.tcp = !p.isSet(QStringLiteral("no-tcp"));
    const QStringList fileOnly = {QStringLiteral("classic"), QStringLiteral("status-nc"), QStringLiteral("scan-ms"),
                                  QStringLiteral("outage-after"), QStringLiteral("outage-for"),
                                  QStringLiteral("outage-mode"), QStringLiteral("no-tcp")};
    for (const QString& name : fileOnly)
        if (p.isSet(name) && !s.files)
            throw OptionError(QStringLiteral("--%1 needs --files").arg(name));
    FileServerOptions& f = s.fileOptions;
    f.directory = p.value(QStringLiteral("files"));
    if (s.files && f.directory.isEmpty())
        throw OptionError(QStringLiteral("--files wants a directory"));
    f.preferClassic = p.isSet(QStringLiteral("classic"));
    if (f.preferClassic && !NetworkFiles::FitsClassic(RouterModel(r)))
        throw OptionError(QStringLiteral("--classic: the router must have at most 256 sources (OFF included) "
                                         "and 256 destinations"));
    // The status file tells whether the server reaches the switcher, as the poll answer does.
    f.connected = !p.isSet(QStringLiteral("status-nc")) && o.switcherPresent;
    if (p.isSet(QStringLiteral("scan-ms")))
        f.scanMilliseconds = number(p.value(QStringLiteral("scan-ms")), QStringLiteral("--scan-ms"), 1, 3600000);
    if (p.isSet(QStringLiteral("outage-after")) != p.isSet(QStringLiteral("outage-for")))
        throw OptionError(QStringLiteral("--outage-after and --outage-for go together"));
    if (p.isSet(QStringLiteral("outage-after"))) {
        s.outageAfter = number(p.value(QStringLiteral("outage-after")), QStringLiteral("--outage-after"), 1, 86400);
        s.outageFor = number(p.value(QStringLiteral("outage-for")), QStringLiteral("--outage-for"), 1, 86400);
    }
    if (p.isSet(QStringLiteral("outage-mode"))) {
        const QString mode = p.value(QStringLiteral("outage-mode"));
        if (mode == QStringLiteral("unreadable"))
            s.outageKind = FileServer::Outage::Unreadable;
        else if (mode != QStringLiteral("remove"))
            throw OptionError(QStringLiteral("--outage-mode must be remove or unreadable, not \"%1\"").arg(mode));
    }
    return s;
}


void addOptions(QCommandLineParser& p)
{
    p.setApplicationDescription(QStringLiteral(
        "Simulates the router's Server Module for the Tova Vantrel panel (TCP/IP mode) and,\n"
        "with --files, the server's network data files for File mode, on the same router.\n"
        "Channel numbers on this command line are 1-based, as operators count them\n"
        "(source 1 is channel 0 on the wire). Sources are named SRC 01, SRC 02, ...,\n"
        "destinations DST 01, ...; destination N starts on source N (wrapping round).\n"
        "Prints \"zeb-server-sim listening on ADDRESS:PORT\" once it listens, and\n"
        "\"zeb-server-sim serving files in DIR\" once the files are written.\n"
        "File mode: the classic files (Alpha.ndf, Xptmap.ndf, Inhbt.ndf) for a type 1201\n"
        "router of exactly 256 x 256, the extended ones (lAlpha.ndf, lXptmap.ndf,\n"
        "lInhbt.ndf) otherwise, and Status.ndf; command files xpt00001.wcf and\n"
        "xpt00002.wcf dropped in DIR are carried out and deleted."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("listen"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
         QStringLiteral("ADDR")},
        {QStringLiteral("port"), QStringLiteral("TCP port (default 1250; 0 = pick a free one)."),
         QStringLiteral("N")},
        {QStringLiteral("sources"), QStringLiteral("Number of named sources, 1 to 4096 (default 32)."),
         QStringLiteral("N")},
        {QStringLiteral("destinations"), QStringLiteral("Number of destinations, 1 to 4096 (default 16)."),
         QStringLiteral("N")},
        {QStringLiteral("type"),
         QStringLiteral("System type 1201, 1301 or 1351 (default 1201). 1301 and 1351 add an OFF source "
                        "after the named sources."),
         QStringLiteral("TYPE")},
        {QStringLiteral("name-length"), QStringLiteral("Characters per name, 1 to 127 (default 8)."),
         QStringLiteral("L")},
        {QStringLiteral("inhibit"),
         QStringLiteral("Inhibit source SRC on destination DST (1-based; repeatable). Changes to an "
                        "inhibited crosspoint are refused."),
         QStringLiteral("SRC:DST")},
        {QStringLiteral("source-name"), QStringLiteral("Name source N (1-based; repeatable) instead of SRC N."),
         QStringLiteral("N:NAME")},
        {QStringLiteral("destination-name"),
         QStringLiteral("Name destination N (1-based; repeatable) instead of DST N. Names longer than "
                        "--name-length are cut."),
         QStringLiteral("N:NAME")},
        {QStringLiteral("salvo"),
         QStringLiteral("Add a salvo (repeatable): its name, its key value (0 = no key; the panel "
                        "matches 1 to 255) and its changes, 1-based; SRC may be OFF. "
                        "Example: \"ALL TO 1:0:1>1,1>2\"."),
         QStringLiteral("NAME:KEY:SRC>DST,...")},
        {QStringLiteral("password"),
         QStringLiteral("Ask for this password (printable ASCII) and answer nothing else until it "
                        "arrives."),
         QStringLiteral("TEXT")},
        {QStringLiteral("send-type-request"), QStringLiteral("Send the type request 0x81 on connect.")},
        {QStringLiteral("send-version"), QStringLiteral("Send the version message 0xE5 (the system type) on connect.")},
        {QStringLiteral("absent"), QStringLiteral("Report the switcher absent: polls are answered 0xF1.")},
        {QStringLiteral("silent"),
         QStringLiteral("Never answer: everything received is ignored and nothing is sent, so the "
                        "panel's link times out.")},
        {QStringLiteral("close-after"), QStringLiteral("Close each connection after it has received N messages."),
         QStringLiteral("N")},
        {QStringLiteral("byte-by-byte"), QStringLiteral("Send every byte as a write of its own.")},
        {QStringLiteral("noise"),
         QStringLiteral("Send random data bytes and stray 0xF3/0xFF bytes before each message; the "
                        "panel must resync.")},
        {QStringLiteral("poll-panel"), QStringLiteral("Poll each panel (0xF5) every MS milliseconds."),
         QStringLiteral("MS")},
        {QStringLiteral("verbose"), QStringLiteral("Log every message in hex (and every command file) to stderr.")},
        {QStringLiteral("files"),
         QStringLiteral("Keep the network data files in DIR (created when missing) and carry out the "
                        "command files found there."),
         QStringLiteral("DIR")},
        {QStringLiteral("no-tcp"), QStringLiteral("Serve the files only; do not listen for TCP panels.")},
        {QStringLiteral("classic"),
         QStringLiteral("Write the classic 256 x 256 files for any router that fits them (at most 256 "
                        "sources, OFF included, and 256 destinations).")},
        {QStringLiteral("status-nc"),
         QStringLiteral("Status.ndf reports the server not connected to the switcher (also with --absent).")},
        {QStringLiteral("scan-ms"), QStringLiteral("Look for command files every MS milliseconds (default 50)."),
         QStringLiteral("MS")},
        {QStringLiteral("outage-after"),
         QStringLiteral("After S seconds the files go away (see --outage-mode) for --outage-for seconds, "
                        "then come back rewritten; once."),
         QStringLiteral("S")},
        {QStringLiteral("outage-for"), QStringLiteral("Length of the outage in seconds."), QStringLiteral("S")},
        {QStringLiteral("outage-mode"),
         QStringLiteral("remove: delete the files (default); unreadable: take away every permission "
                        "(root still reads them)."),
         QStringLiteral("remove|unreadable")},
    });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zeb-server-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "zeb-server-sim: %s\nTry --help.\n", qPrintable(parser.errorText()));
        return BadOptions;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "zeb-server-sim: unexpected argument \"%s\"\nTry --help.\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return BadOptions;
    }

    std::optional<Settings> settings;
    try {
        settings = settingsFrom(parser);
    } catch (const OptionError& error) {
        std::fprintf(stderr, "zeb-server-sim: %s\n", qPrintable(error.text()));
        return BadOptions;
    }

    SimServer server(settings->router, settings->session);
    for (const auto& [channel, name] : settings->sourceNames)
        server.model().setSourceName(channel, name);
    for (const auto& [channel, name] : settings->destinationNames)
        server.model().setDestinationName(channel, name);
    if (settings->verbose) {
        server.setTrace([](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
        QObject::connect(&server, &SimServer::connectionOpened, [] { std::fprintf(stderr, "connection opened\n"); });
        QObject::connect(&server, &SimServer::connectionClosed, [] { std::fprintf(stderr, "connection closed\n"); });
    }
    if (settings->tcp && !server.listen(settings->address, settings->port)) {
        std::fprintf(stderr, "zeb-server-sim: cannot listen on %s:%u: %s\n",
                     qPrintable(settings->address.toString()), unsigned(settings->port),
                     qPrintable(server.errorString()));
        return 1;
    }
    server.setPanelPollInterval(settings->pollPanel);
    // SIGINT and SIGTERM end the event loop, so connections are closed and the process exits 0.
    OnTerminationSignal(&app, [] { QCoreApplication::quit(); });

    std::unique_ptr<FileServer> files;
    if (settings->files) {
        files = std::make_unique<FileServer>(server.model(), settings->fileOptions);
        FileServer* f = files.get();
        f->setRouter([&server](const Crosspoint& take) { return server.route(take); });
        QObject::connect(&server, &SimServer::takeReported, f, &FileServer::crosspointsChanged);
        QObject::connect(f, &FileServer::writeFailed, [](const QString& name, const QString& error) {
            std::fprintf(stderr, "zeb-server-sim: cannot write %s: %s\n", qPrintable(name), qPrintable(error));
        });
        if (settings->verbose) {
            QObject::connect(f, &FileServer::commandConsumed, [](const QString& name, int s, int d, bool done) {
                std::fprintf(stderr, "%s: channel %d to channel %d (0-based) %s\n", qPrintable(name), s, d,
                             done ? "taken" : "refused");
            });
            QObject::connect(f, &FileServer::outageChanged, [](bool on) {
                std::fprintf(stderr, "%s\n", on ? "outage begins" : "outage ends");
            });
        }
        QString error;
        if (!f->start(&error)) {
            std::fprintf(stderr, "zeb-server-sim: %s\n", qPrintable(error));
            return 1;
        }
        if (settings->outageAfter > 0)
            f->scheduleOutage(settings->outageAfter * 1000, settings->outageFor * 1000, settings->outageKind);
    }

    if (settings->tcp)
        std::printf("zeb-server-sim listening on %s:%u\n", qPrintable(server.serverAddress().toString()),
                    unsigned(server.serverPort()));
    if (files)
        std::printf("zeb-server-sim serving files in %s\n", qPrintable(files->directory()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
