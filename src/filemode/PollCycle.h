#pragma once

#include "filemode/DataFiles.h"

struct Panel;

// What one poll tick needs to know to decide which files changed.
struct TickRequest {
    QString path;
    int stamp = 0;
    qint64 alphaTime = 0;
    qint64 inhibitTime = 0;
    qint64 statusTime = 0;
    int numInputs = 0;
    int numOutputs = 0;
};
TickRequest TickRequestFor(const PanelState& s);

// The files one tick found changed, in the order they are checked: crosspoint map, names,
// inhibits, status. A missing or unreadable file ends the tick there (complete stays false).
struct TickLoad {
    DataFiles::MapLoad map;
    std::optional<DataFiles::AlphaTables> alpha;
    std::optional<DataFiles::InhibitTables> inhibits;
    std::optional<int> status;  // read when the status file's time changed
    qint64 statusTime = 0;
    bool complete = false;      // every step found and read its file
};
// Runs off the GUI thread: asks only for existence and modification times, and the map's first
// byte, unless something changed.
TickLoad LoadTick(const TickRequest& request);

// Applies a tick's files to the state and the window: follows the controlled destination, rebuilds
// the display after new names or inhibits, shows the server's status ("OK"/"NC") in status panel 2,
// and after FileTimeOutTicks failed ticks in a row shows "NF" and, once per outage, the lost-server
// message.
void ApplyTick(Panel& panel, TickLoad&& load);

// One tick of tmrFileCheck in File mode: loads the changed files off the GUI thread and applies
// them when they come back. A tick that finds the previous tick's files still out counts as a tick
// without the files: a share that stopped answering leads to "NF", never to a frozen window.
void FilePollTick(Panel& panel);
