#pragma once

struct Panel;

// Rebuilds the source box, its selection, the setup dialog's destination box and status panel 1
// from the tables.
void UpdateAlphaData(Panel& panel);

// Salvo mode: shows the salvo list with the first salvo selected.
void DisplayFirstSalvo(Panel& panel);
