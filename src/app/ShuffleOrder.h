#pragma once

#include <cstdint>
#include <vector>

#include "app/ShuffleRandom.h"

namespace app {

// The order a shuffled list plays in: a permutation of its indices.
class ShuffleOrder {
  public:
    // 0..count-1 shuffled by swapping each entry with a random one; with
    // pinCurrent the entry holding `current` goes to the front. A list of
    // one item draws no random numbers.
    void Rebuild(int32_t count, int32_t current, bool pinCurrent, ShuffleRandom& random);
    void Clear() { entries_.clear(); }

    // The position of a list index, or Size() when it is not in the order.
    int32_t PositionOf(int32_t index) const;
    int32_t At(int32_t position) const { return entries_[static_cast<size_t>(position)]; }
    int32_t Size() const { return static_cast<int32_t>(entries_.size()); }
    const std::vector<int32_t>& Entries() const { return entries_; }

  private:
    std::vector<int32_t> entries_;
};

}  // namespace app
