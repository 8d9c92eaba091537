#pragma once

struct Panel;

// Start-up of the main window: defaults, settings, then the link (TCP/IP mode) or the
// network data files (File mode); leads through login and setup when the panel is not configured.
// panel.s.AppDir must be set before.
void Form_Load(Panel& panel);

// Shut-down: stops the poll timer, writes the settings and closes every window. Runs once only,
// whichever way the program ends.
void Unload_Program(Panel& panel);
