#include "core/Display.h"

#include "state/Panel.h"

// The source list and salvo view are not built yet: the tables are kept up to date by the
// handlers that call these, and the box goes on showing what it shows.
void UpdateAlphaData(Panel& /*panel*/) {}

void DisplayFirstSalvo(Panel& /*panel*/) {}
