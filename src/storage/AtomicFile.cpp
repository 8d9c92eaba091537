#include "storage/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };

    // QSaveFile is not used: it can report success for a file cut short by a size limit.
    QTemporaryFile tmp(path + QStringLiteral(".XXXXXX"));
    if (!tmp.open())
        return fail(tmp.errorString());
    const bool wrote = tmp.write(bytes) == bytes.size() && tmp.flush();
    if (tmp.size() != bytes.size())
        return fail(QStringLiteral("only %1 of %2 bytes could be written").arg(tmp.size()).arg(bytes.size()));
    if (!wrote)
        return fail(tmp.errorString());
    if (::fsync(tmp.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));

    const QFileInfo old(path);
    if (old.exists())
        tmp.setPermissions(old.permissions());
    else
        tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                           | QFileDevice::ReadOther);

    if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    tmp.setAutoRemove(false);
    return true;
}
