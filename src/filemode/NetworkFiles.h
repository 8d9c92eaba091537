#pragma once

#include "filemode/DataFiles.h"

#include <functional>

struct Panel;

// The alpha, crosspoint and inhibit files of a server directory, each loaded completely (the
// extended form of each wins), stopping at the first that is missing or unreadable.
struct NetworkFilesLoad {
    enum Step { None, Names, Crosspoints, Inhibits };
    Step failed = None;  // the first step that failed, or None
    std::optional<DataFiles::AlphaTables> alpha;
    DataFiles::MapLoad map;
    std::optional<DataFiles::InhibitTables> inhibits;
};
// Runs off the GUI thread: works only on its argument.
NetworkFilesLoad LoadNetworkFiles(const QString& serverPath);

// Reads the alpha, crosspoint and inhibit files once (off the GUI thread) and rebuilds the display;
// then(true) when all three were read. then(false) when ServerPath is empty (nothing shown) or a
// file is missing or unreadable, once its message box has been answered. Files not read within
// FileTimeOut seconds (a share that stopped answering) count as a names file that could not be read.
void ReadNetworkFiles(Panel& panel, std::function<void(bool read)> then);
