#include "core/OverPanel.h"

#include "state/Panel.h"

void OverPanel(Panel& panel, const std::function<void(ChainDone done)>& chain, std::optional<int> order)
{
    panel.view.setWindowOrder(NotTopMost);
    chain([&panel, order] { panel.view.setWindowOrder(order.value_or(panel.s.StayOnTop)); });
}
