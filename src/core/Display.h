#pragma once

#include <QString>

#include <functional>

struct Panel;

// Decides which sources the source box offers and in which order: the display list and the
// inhibit map hide sources, hidden ones are moved to the end. Rebuilds ComboAlphaList and
// ComboChannelList.
void Inhibit_Sort(Panel& panel);

// Rebuilds the source box, its selection, the setup dialog's destination box and status panel 1
// from the tables; leads to the setup dialog when the controlled destination does not exist.
// then runs when the update is over, which behind that dialog is once the operator has answered.
void UpdateAlphaData(Panel& panel, const std::function<void()>& then = {});

// What the source box shows when the controlled destination's current source has changed. Every
// change comes here; they differ only where the product's handlers always have:
// - Map (a crosspoint map arrived): a destination fed by another shows that one's name; a source
//   not in the box leaves it alone; a source that became hidden or visible rebuilds the box;
//   otherwise its entry, or "- OFF -" when its index lies beyond the box, is selected.
// - Take (a take was reported, or the source names were replaced): its entry is selected when the
//   box has the source.
// - File (the crosspoint file changed): as Map, but without the fed-by-destination text, and a
//   source not in the box keeps the index it had.
// Map and Take throw a TableFault where a table or the box disagrees; File never does.
enum class SourceChange { Map, Take, File };
void FollowCurrentSource(Panel& panel, SourceChange change);

// Selects entry index of the source box; one the box does not have is a TableFault.
void SelectSourceEntry(Panel& panel, int index);

// Selects the current source's entry, or "- OFF -" when the index is not an entry of the box.
// Strict: an index that is not an entry either is a TableFault; otherwise nothing is selected.
void SelectCurrentEntry(Panel& panel, bool strict);

// Texts of the view.
// A source box entry, and a destination box entry: "Mic 1   (ch 5)".
QString ChannelEntry(const QString& name, int channel);
// The controlled destination in status panel 1: "Destination: Studio A [005]".
QString DestinationStatus(const QString& name, int channel);
