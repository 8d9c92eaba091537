#include "FileServer.h"

#include "NetworkFiles.h"
#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// Name prefix of a command file set aside while it is carried out.
const QString TakingPrefix = QStringLiteral(".taking-");

QString L(const char* name)
{
    return QLatin1String(name);
}

constexpr QFileDevice::Permissions FilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// A modification time that a reader comparing whole seconds sees as new: now, or one second
// past the old time when that is not yet behind the clock (within a bounded lead).
QDateTime nextModificationTime(const QDateTime& old)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (old.isValid()) {
        const qint64 previous = old.toSecsSinceEpoch();
        if (previous >= now && previous - now < FileServer::MaxTimeLeadSeconds)
            return QDateTime::fromSecsSinceEpoch(previous + 1);
    }
    return QDateTime::currentDateTime();
}

} // namespace

FileServer::FileServer(RouterModel& model, FileServerOptions options, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_options(std::move(options))
    , m_layout(chooseLayout(model, m_options.preferClassic))
    , m_scanTimer(new QTimer(this))
    , m_router([this](const Crosspoint& x) {
        return m_model.route(x.source, x.destination) == RouterModel::RouteResult::Done;
    })
{
    connect(m_scanTimer, &QTimer::timeout, this, &FileServer::scan);
}

FileServer::~FileServer()
{
    // Files left unreadable would outlast the simulator.
    if (m_outage && m_outageKind == Outage::Unreadable)
        for (const QString& name : dataFiles())
            QFile::setPermissions(path(name), FilePermissions);
}

FileServer::Layout FileServer::chooseLayout(const RouterModel& model, bool preferClassic)
{
    using namespace NetworkFiles;
    const bool classic = model.systemType() == 1201 && model.sourceCount() == ClassicSize
        && model.destinationCount() == ClassicSize;
    return classic || (preferClassic && FitsClassic(model)) ? Layout::Classic : Layout::Extended;
}

QString FileServer::path(const QString& fileName) const
{
    return QDir(m_options.directory).filePath(fileName);
}

QStringList FileServer::dataFiles() const
{
    using namespace NetworkFiles;
    if (m_layout == Layout::Classic)
        return {L(ClassicAlpha), L(ClassicCrosspoints), L(ClassicInhibits), L(Status)};
    return {L(ExtendedAlpha), L(ExtendedCrosspoints), L(ExtendedInhibits), L(Status)};
}

bool FileServer::start(QString* error)
{
    if (!QDir().mkpath(m_options.directory)) {
        if (error)
            *error = QStringLiteral("cannot create the directory %1").arg(m_options.directory);
        return false;
    }
    removeStrayFiles();
    // Go on from the stamp a map left by an earlier run, so that a panel still watching the
    // directory sees the first new map as a change.
    QFile old(path(dataFiles()[1]));
    if (old.open(QIODevice::ReadOnly)) {
        const QByteArray first = old.read(1);
        if (!first.isEmpty())
            m_stamp = quint8(first[0]);
        old.close();
    }
    mark(All);
    if (m_pending != 0) {
        if (error)
            *error = QStringLiteral("cannot write the network data files in %1").arg(m_options.directory);
        return false;
    }
    if (m_options.scanMilliseconds > 0)
        m_scanTimer->start(m_options.scanMilliseconds);
    return true;
}

void FileServer::removeStrayFiles()
{
    using namespace NetworkFiles;
    const QStringList ours = dataFiles();
    const QStringList known = {L(ClassicAlpha),  L(ClassicCrosspoints),  L(ClassicInhibits), L(ExtendedAlpha),
                               L(ExtendedCrosspoints), L(ExtendedInhibits), L(Status)};
    const QDir dir(m_options.directory);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (ours.contains(entry))
            continue;
        // A command set aside by a run that ended before carrying it out is dropped too.
        if (known.contains(entry, Qt::CaseInsensitive) || entry.startsWith(TakingPrefix))
            QFile::remove(dir.filePath(entry));
    }
}

void FileServer::scan()
{
    if (m_outage)
        return;
    m_scanning = true;
    const QDir dir(m_options.directory);
    for (const QString& entry : dir.entryList(QDir::Files, QDir::Name)) {
        if (entry.compare(QLatin1String(NetworkFiles::NarrowCommand), Qt::CaseInsensitive) == 0)
            consume(entry, false);
        else if (entry.compare(QLatin1String(NetworkFiles::WideCommand), Qt::CaseInsensitive) == 0)
            consume(entry, true);
    }
    m_scanning = false;
    flush();
}

void FileServer::consume(const QString& name, bool wide)
{
    const qint64 needed = wide ? 4 : 2;
    const QFileInfo info(path(name));
    if (info.size() < needed
        && info.lastModified().secsTo(QDateTime::currentDateTime()) < ShortCommandGraceSeconds)
        return;  // perhaps still being written

    // Moved aside first: a take the panel writes meanwhile makes a new file for the next scan
    // instead of being deleted unread.
    QString taken = path(TakingPrefix + name);
    QFile::remove(taken);
    if (!QFile::rename(info.filePath(), taken))
        taken = info.filePath();
    QByteArray bytes;
    QFile file(taken);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.read(needed);
        file.close();
    }
    QFile::remove(taken);

    const std::optional<Crosspoint> take = NetworkFiles::ParseCommand(bytes, wide);
    if (!take) {
        Q_EMIT commandConsumed(name, -1, -1, false);
        return;
    }
    const bool done = m_router(*take);
    if (done)
        mark(Crosspoints);
    Q_EMIT commandConsumed(name, take->source, take->destination, done);
}

void FileServer::crosspointsChanged()
{
    mark(Crosspoints);
}

void FileServer::namesChanged()
{
    mark(Names);
}

void FileServer::inhibitsChanged()
{
    mark(Inhibits);
}

void FileServer::setConnected(bool connected)
{
    if (m_options.connected == connected)
        return;
    m_options.connected = connected;
    mark(StatusFlag);
}

void FileServer::mark(int files)
{
    m_pending |= files;
    if (!m_scanning)
        flush();
}

void FileServer::flush()
{
    if (m_outage || m_pending == 0)
        return;
    using namespace NetworkFiles;
    const bool classic = m_layout == Layout::Classic;
    const QStringList names = dataFiles();
    if (m_pending & Names) {
        if (writeFile(names[0], classic ? ClassicAlphaFile(m_model) : ExtendedAlphaFile(m_model), true))
            m_pending &= ~Names;
    }
    if (m_pending & Crosspoints) {
        const quint8 next = quint8(m_stamp % 255 + 1);
        const QByteArray bytes =
            classic ? ClassicCrosspointFile(m_model, next) : ExtendedCrosspointFile(m_model, next);
        if (writeFile(names[1], bytes, false)) {
            m_stamp = next;
            m_pending &= ~Crosspoints;
        }
    }
    if (m_pending & Inhibits) {
        if (writeFile(names[2], classic ? ClassicInhibitFile(m_model) : ExtendedInhibitFile(m_model), true))
            m_pending &= ~Inhibits;
    }
    if (m_pending & StatusFlag) {
        if (writeFile(names[3], StatusFile(m_options.connected), true))
            m_pending &= ~StatusFlag;
    }
}

bool FileServer::writeFile(const QString& name, const QByteArray& bytes, bool newTime)
{
    const QString target = path(name);
    const QFileInfo before(target);
    const QDateTime old = before.exists() ? before.lastModified() : QDateTime();
    QString error;
    if (!WriteFileAtomically(target, bytes, &error)) {
        Q_EMIT writeFailed(name, error);
        return false;  // stays pending: the next scan tries again
    }
    if (newTime) {
        QFile file(target);
        if (file.open(QIODevice::ReadOnly)) {
            file.setFileTime(nextModificationTime(old), QFileDevice::FileModificationTime);
            file.close();
        }
    }
    return true;
}

void FileServer::beginOutage(Outage kind)
{
    if (m_outage)
        return;
    m_outage = true;
    m_outageKind = kind;
    for (const QString& name : dataFiles()) {
        if (kind == Outage::Removed)
            QFile::remove(path(name));
        else
            QFile::setPermissions(path(name), QFileDevice::Permissions());
    }
    Q_EMIT outageChanged(true);
}

void FileServer::endOutage()
{
    if (!m_outage)
        return;
    m_outage = false;
    if (m_outageKind == Outage::Unreadable)
        for (const QString& name : dataFiles())
            QFile::setPermissions(path(name), FilePermissions);
    mark(All);
    Q_EMIT outageChanged(false);
}

void FileServer::scheduleOutage(int afterMs, int forMs, Outage kind)
{
    QTimer::singleShot(afterMs, this, [this, forMs, kind] {
        beginOutage(kind);
        QTimer::singleShot(forMs, this, &FileServer::endOutage);
    });
}
