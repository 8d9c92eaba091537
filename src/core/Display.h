#pragma once

struct Panel;

// Decides which sources the source box offers and in which order: the display list and the
// inhibit map hide sources, hidden ones are moved to the end. Rebuilds ComboAlphaList and
// ComboChannelList.
void Inhibit_Sort(Panel& panel);

// Rebuilds the source box, its selection, the setup dialog's destination box and status panel 1
// from the tables; leads to the setup dialog when the controlled destination does not exist.
void UpdateAlphaData(Panel& panel);
