#pragma once

struct Panel;
struct PanelState;

// Reads the names and channel numbers from the extended alpha file "lAlpha.ndf", or from the
// classic "Alpha.ndf" when there is none, in ServerPath. Silent; false when neither exists or the
// file cannot be read, and then the tables are as they were.
bool ReadAlphaFile(PanelState& s);

// Reads the alpha, crosspoint and inhibit files once (the extended form of each wins) and rebuilds
// the display. False when ServerPath is empty (nothing shown) or a file is missing or unreadable
// (after its message box).
bool ReadNetworkFiles(Panel& panel);
