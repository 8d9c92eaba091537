#pragma once

#include <QString>

// The directory that holds the settings file, the display list file and the error log, with a
// trailing separator: the program's own directory when it can be written (a portable install,
// as operators know it), otherwise the per-user configuration directory, created if needed.
QString ResolveAppDir(const QString& programDir, const QString& userConfigDir);
