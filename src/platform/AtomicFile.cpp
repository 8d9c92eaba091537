#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file's name: the file's own name, this marker and six random characters.
const QString TempMarker = QStringLiteral(".new-");
constexpr int TempRandom = 6;
// Links followed before giving up, as the kernel does (ELOOP).
constexpr int MaxLinkHops = 40;

// A write cut off between naming its temporary file and the rename (the process killed, the power
// gone) leaves that file behind; the next write of the same file removes it, so they never pile up.
void RemoveLeftovers(const QFileInfo& target)
{
    QDir dir = target.absoluteDir();
    const QString prefix = target.fileName() + TempMarker;
    for (const QString& name : dir.entryList({prefix + QStringLiteral("*")}, QDir::Files | QDir::Hidden))
        if (name.size() == prefix.size() + TempRandom && name.startsWith(prefix))
            dir.remove(name);
}

// Makes the rename itself durable: without this a power cut can bring back the old file.
void SyncDirectory(const QFileInfo& target)
{
    const int fd = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The path with its directory resolved by the kernel (links and "..", as realpath does); the
// last component is kept. Lexical clean-up would be wrong after a link to a directory.
QString RealDirectory(const QString& path)
{
    const QFileInfo info(path);
    const QString dir = QFileInfo(info.path()).canonicalFilePath();
    return dir.isEmpty() ? info.absoluteFilePath() : dir + u'/' + info.fileName();
}

// The file a path really names: a symbolic link, or a chain of them, is followed to its last
// target (which need not exist yet), so that the target is replaced and the link stays a link.
// Empty when the chain does not end.
QString FinalTarget(const QString& path)
{
    QString current = RealDirectory(path);
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        char text[PATH_MAX];
        const ssize_t n = ::readlink(QFile::encodeName(current).constData(), text, sizeof text);
        if (n < 0)
            return current;  // not a link (or not there): this is the file
        if (n >= static_cast<ssize_t>(sizeof text))
            return {};
        // A relative link counts from the link's own (already real) directory.
        const QString link = QFile::decodeName(QByteArray(text, n));
        current = RealDirectory(link.startsWith(u'/') ? link : current.left(current.lastIndexOf(u'/') + 1) + link);
    }
    return {};
}

// Gives the new file the old one's owner, group and mode, or the mode of a new file. Failures
// to hand the file to another owner are not errors: only root may, and the file is then ours.
void CopyAccess(int fd, const QString& target, NewFileAccess access)
{
    struct stat old {};
    if (::stat(QFile::encodeName(target).constData(), &old) != 0) {
        ::fchmod(fd, access == NewFileAccess::OwnerOnly ? 0600 : 0644);
        return;
    }
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    // After the change of owner, which clears set-id bits.
    ::fchmod(fd, old.st_mode & 07777);
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error, NewFileAccess access)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };

    const QString targetPath = FinalTarget(path);
    if (targetPath.isEmpty())
        return fail(QString::fromLocal8Bit(std::strerror(ELOOP)));
    const QFileInfo target(targetPath);
    RemoveLeftovers(target);
    // QSaveFile is not used: it can report success for a file cut short by a size limit.
    QTemporaryFile tmp(targetPath + TempMarker + QString(TempRandom, u'X'));
    if (!tmp.open())
        return fail(tmp.errorString());
    const bool wrote = tmp.write(bytes) == bytes.size() && tmp.flush();
    if (tmp.size() != bytes.size())
        return fail(QStringLiteral("only %1 of %2 bytes could be written").arg(tmp.size()).arg(bytes.size()));
    if (!wrote)
        return fail(tmp.errorString());
    CopyAccess(tmp.handle(), targetPath, access);
    if (::fsync(tmp.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));

    if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(targetPath).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    tmp.setAutoRemove(false);
    SyncDirectory(target);
    return true;
}
