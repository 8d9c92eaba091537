#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

// The panel sorts its name lists with an exchange sort: for each position i, every later entry j
// that compares smaller is swapped into i at once. Its order is the one the operator has always
// seen, and it is not stable: entries with equal keys may come out in another order than they
// went in. These functions give that exact order without comparing every pair of keys.

// Where the exchange sort puts each entry, given each entry's rank (equal keys, equal rank):
// order[k] is the index of the entry that ends at position k. With distinct ranks the result is
// the one sorted order; otherwise the exchange sort runs on the ranks, which are plain integers.
std::vector<std::size_t> ExchangeOrderOfRanks(std::vector<int> ranks, bool distinct);

// The exchange sort's order of keys under less (a strict weak order): the keys are ranked with
// n log n comparisons, then ExchangeOrderOfRanks places them.
template <class Key, class Less>
std::vector<std::size_t> ExchangeSortOrder(const std::vector<Key>& keys, Less less)
{
    std::vector<std::size_t> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), std::size_t{0});
    std::sort(byKey.begin(), byKey.end(), [&](std::size_t a, std::size_t b) { return less(keys[a], keys[b]); });

    std::vector<int> ranks(keys.size());
    bool distinct = true;
    int rank = 0;
    for (std::size_t k = 0; k < byKey.size(); ++k) {
        if (k > 0 && less(keys[byKey[k - 1]], keys[byKey[k]]))
            ++rank;
        else if (k > 0)
            distinct = false;
        ranks[byKey[k]] = rank;
    }
    return ExchangeOrderOfRanks(std::move(ranks), distinct);
}

// Reorders the first order.size() items (one per key) into the given order; any items after
// them stay where they are.
template <class T>
void ApplyOrder(std::vector<T>& items, const std::vector<std::size_t>& order)
{
    std::vector<T> sorted;
    sorted.reserve(order.size());
    for (std::size_t from : order)
        sorted.push_back(std::move(items[from]));
    std::move(sorted.begin(), sorted.end(), items.begin());
}
