#pragma once

#include <functional>
#include <optional>

struct Panel;

// The main window leaves the topmost layer while the operator answers a dialog or a chain of
// them, so that none is hidden behind the panel. chain opens the dialogs and calls done when the
// last has been answered; the window then goes back to order, or to StayOnTop as it stands then.
using ChainDone = std::function<void()>;
void OverPanel(Panel& panel, const std::function<void(ChainDone done)>& chain, std::optional<int> order = std::nullopt);
