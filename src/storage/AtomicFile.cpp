#include "storage/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The temporary file's name: the file's own name, this marker and six random characters.
const QString TempMarker = QStringLiteral(".new-");
constexpr int TempRandom = 6;

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

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };

    const QFileInfo target(path);
    RemoveLeftovers(target);
    // QSaveFile is not used: it can report success for a file cut short by a size limit.
    QTemporaryFile tmp(path + TempMarker + QString(TempRandom, u'X'));
    if (!tmp.open())
        return fail(tmp.errorString());
    const bool wrote = tmp.write(bytes) == bytes.size() && tmp.flush();
    if (tmp.size() != bytes.size())
        return fail(QStringLiteral("only %1 of %2 bytes could be written").arg(tmp.size()).arg(bytes.size()));
    if (!wrote)
        return fail(tmp.errorString());
    if (::fsync(tmp.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));

    if (target.exists())
        tmp.setPermissions(target.permissions());
    else
        tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                           | QFileDevice::ReadOther);

    if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    tmp.setAutoRemove(false);
    SyncDirectory(target);
    return true;
}
