#pragma once

#include <QString>
#include <QStringList>

// Where the panel may keep its files.
struct AppDirPlaces {
    QString programDir;            // the executable's directory
    QString userConfigDir;         // the per-user configuration directory (~/.config/ZEB/tova-vantrel)
    QStringList systemConfigDirs;  // where a site may provision a settings file (/etc/xdg/ZEB/tova-vantrel)
};

// A directory chosen on the command line; both empty when none was.
struct AppDirChoice {
    QString settingsDir;  // --settings-dir DIR
    QString profile;      // --profile NAME: ProfilesDirName/NAME under the per-user directory
};

inline const QString ProfilesDirName = QStringLiteral("profiles");

// The directory that holds the settings file, the display list file and the error log, with a
// trailing separator:
// - the chosen directory, created if missing;
// - otherwise the program's own directory when it can be written and the program is not
//   installed (a portable install, as operators know it);
// - otherwise the per-user configuration directory, created if needed.
// A directory other than the program's own that has no settings file yet is given the
// provisioned one (see ProvisionSettings): the one beside the executable when that directory is
// not the panel's own, else the first found in systemConfigDirs. Empty, with *error set, when a
// chosen directory cannot be created.
QString ResolveAppDir(const AppDirPlaces& places, const AppDirChoice& choice = {}, QString* error = nullptr);

// True when the program runs from an installed layout: its directory is a bin/ directory beside
// share/doc/tova-vantrel/. It then keeps its files per user even where it could write beside
// itself (root running an unpacked package).
bool IsInstalledLayout(const QString& programDir);

// Copies the first sourceDirs entry's settings file (and its display list file, if any) into dir,
// when dir has no settings file yet. The copy is a new file of the panel's own; the source is
// only read. False when nothing was copied.
bool ProvisionSettings(const QString& dir, const QStringList& sourceDirs);

// The operators' help page: help/index.html beside the program, or in the installed
// documentation directory. Empty when neither exists.
QString HelpPagePath(const QString& programDir);
