#include "storage/AppDir.h"

#include "platform/AtomicFile.h"
#include "storage/DisplayListFile.h"
#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

// The installed documentation, relative to the program's bin/ directory.
const QString InstalledDocDir = QStringLiteral("/../share/doc/tova-vantrel");
const QString HelpPage = QStringLiteral("/help/index.html");

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

bool readWhole(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool IsInstalledLayout(const QString& programDir)
{
    return QDir(programDir).dirName() == QStringLiteral("bin") && QFileInfo(programDir + InstalledDocDir).isDir();
}

bool ProvisionSettings(const QString& dir, const QStringList& sourceDirs)
{
    const QString settings = QDir(dir).filePath(SettingsFileName);
    if (QFileInfo::exists(settings))
        return false;
    for (const QString& source : sourceDirs) {
        QByteArray bytes;
        if (!QFileInfo(QDir(source).filePath(SettingsFileName)).isFile()
            || !readWhole(QDir(source).filePath(SettingsFileName), bytes))
            continue;
        // The display list first, so that a settings file is never there without it.
        const QString list = QDir(dir).filePath(DisplayListFileName);
        QByteArray listBytes;
        if (!QFileInfo::exists(list) && readWhole(QDir(source).filePath(DisplayListFileName), listBytes))
            WriteFileAtomically(list, listBytes);
        return WriteFileAtomically(settings, bytes, nullptr, NewFileAccess::OwnerOnly);
    }
    return false;
}

QString ResolveAppDir(const AppDirPlaces& places, const AppDirChoice& choice, QString* error)
{
    const bool programHome = !IsInstalledLayout(places.programDir) && canCreateFiles(places.programDir);
    QString dir;
    if (!choice.settingsDir.isEmpty())
        dir = QDir(choice.settingsDir).absolutePath();
    else if (!choice.profile.isEmpty())
        dir = QDir(places.userConfigDir).filePath(ProfilesDirName + u'/' + choice.profile);
    else if (programHome)
        return withSeparator(places.programDir);
    else
        dir = places.userConfigDir;

    const bool chosen = !choice.settingsDir.isEmpty() || !choice.profile.isEmpty();
    if (!QDir().mkpath(dir) && chosen) {
        if (error)
            *error = QStringLiteral("cannot create the directory '%1'").arg(QDir::toNativeSeparators(dir));
        return {};
    }
    // Beside the program lies a provisioned file only when the program does not keep its own
    // files there.
    QStringList sources = places.systemConfigDirs;
    if (!programHome)
        sources.prepend(places.programDir);
    ProvisionSettings(dir, sources);
    return withSeparator(dir);
}

QString HelpPagePath(const QString& programDir)
{
    for (const QString& page : {programDir + HelpPage, programDir + InstalledDocDir + HelpPage})
        if (QFileInfo::exists(page))
            return QFileInfo(page).absoluteFilePath();
    return {};
}
