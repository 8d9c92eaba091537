#pragma once

struct Panel;

// File > Connect / Disconnect.
void mnuConnect_Click(Panel& panel);
