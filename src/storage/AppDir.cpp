#include "storage/AppDir.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

QString withSeparator(const QString& dir)
{
    const QString native = QDir::toNativeSeparators(dir);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

// True when a file can actually be created there (permission bits alone say too little for root
// on a read-only mount).
bool canCreateFiles(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".tova-write-probe-XXXXXX")));
    return probe.open();
}

} // namespace

QString ResolveAppDir(const QString& programDir, const QString& userConfigDir)
{
    if (canCreateFiles(programDir))
        return withSeparator(programDir);
    QDir().mkpath(userConfigDir);
    return withSeparator(userConfigDir);
}
