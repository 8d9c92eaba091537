#pragma once

#include "storage/AppDir.h"

#include <QString>
#include <QStringList>

// What the panel was asked to do by its command line.
struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    AppDirChoice dirs;  // --settings-dir or --profile
    QString text;       // for Help, Version and Error: what to print
};

// Reads the arguments (the first is the program's name). Qt's own options are not taken here:
// the panel reads its arguments before Qt starts, so that --help works without a display.
CommandLine ParseCommandLine(const QStringList& arguments);
CommandLine ParseCommandLine(int argc, char* argv[]);

// Prints the help or the version on standard output, an error on standard error; returns the
// exit status (0, or 2 for a usage error).
int ReportCommandLine(const CommandLine& line);

// AppDir for this run: the command line's choice, the program's directory, the per-user and
// the system configuration directories (XDG_CONFIG_HOME, XDG_CONFIG_DIRS). Empty, after
// printing why, when the chosen directory cannot be created. Needs the application object.
QString PanelAppDir(const CommandLine& line);
