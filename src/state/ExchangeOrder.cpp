#include "state/ExchangeOrder.h"

#include <utility>

std::vector<std::size_t> ExchangeOrderOfRanks(std::vector<int> ranks, bool distinct)
{
    const std::size_t n = ranks.size();
    std::vector<std::size_t> order(n);
    if (distinct) {
        for (std::size_t i = 0; i < n; ++i)
            order[static_cast<std::size_t>(ranks[i])] = i;
        return order;
    }
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (ranks[i] > ranks[j]) {
                std::swap(ranks[i], ranks[j]);
                std::swap(order[i], order[j]);
            }
    return order;
}
