#pragma once

struct Panel;

// One tick of tmrFileCheck in File mode: re-reads each network data file that changed (the
// crosspoint map by its stamp byte, the others by modification time), follows the controlled
// destination, shows the server's status ("OK"/"NC") in status panel 2, and after FileTimeOutTicks
// failed ticks in a row shows "NF" and, once per outage, the lost-server message.
void FilePollTick(Panel& panel);
