#pragma once

#include "state/PanelState.h"
#include "state/Ports.h"

// The state and the ports that every operation works on, passed by reference.
struct Panel {
    PanelState& s;
    PanelView& view;
    Prompts& prompts;
    const Clock& clock;
    Server& server;
    Link& link;
    Worker& worker;
};
