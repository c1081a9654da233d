#pragma once

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace mdb {

// Index rules shared by the library and the playlists.

// The distinct indices in the order given (a repeated index counts once);
// any index at or beyond `size` throws std::out_of_range "too large".
inline std::vector<size_t> checkedIndices(const std::vector<size_t>& indices, size_t size) {
    std::vector<size_t> unique;
    std::vector<bool> seen(size, false);
    for (const size_t index : indices) {
        if (index >= size) {
            throw std::out_of_range("too large");
        }
        if (!seen[index]) {
            seen[index] = true;
            unique.push_back(index);
        }
    }
    return unique;
}

// Moves the entries at `indices` (in the order given) as one block to
// `target`, a position counted before the move: the block lands in front of
// the entry that stood at `target`. Throws before changing anything.
template <typename T>
void moveBlock(std::vector<T>& entries, const std::vector<size_t>& indices, size_t target) {
    if (target > entries.size()) {
        throw std::out_of_range("too large");
    }
    const std::vector<size_t> order = checkedIndices(indices, entries.size());
    std::vector<bool> taken(entries.size(), false);
    std::vector<T> block;
    block.reserve(order.size());
    for (const size_t index : order) {
        taken[index] = true;
        block.push_back(std::move(entries[index]));
    }
    const auto below = std::count_if(order.begin(), order.end(),
                                     [target](size_t index) { return index < target; });
    std::vector<T> rest;
    rest.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!taken[i]) {
            rest.push_back(std::move(entries[i]));
        }
    }
    const auto at = rest.begin() + static_cast<std::ptrdiff_t>(target) - below;
    rest.insert(at, std::make_move_iterator(block.begin()), std::make_move_iterator(block.end()));
    entries = std::move(rest);
}

}  // namespace mdb
