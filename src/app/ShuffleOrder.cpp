#include "app/ShuffleOrder.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace app {

void ShuffleOrder::Rebuild(int32_t count, int32_t current, bool pinCurrent, ShuffleRandom& random) {
    entries_.resize(static_cast<size_t>(std::max(count, 0)));
    std::iota(entries_.begin(), entries_.end(), 0);
    if (count > 1) {
        random.Reseed();
        for (auto& entry : entries_) {
            std::swap(entry, entries_[random.Next() % static_cast<uint32_t>(count)]);
        }
    }
    if (pinCurrent && current >= 0 && current < count) {
        std::swap(entries_[static_cast<size_t>(PositionOf(current))], entries_.front());
    }
}

int32_t ShuffleOrder::PositionOf(int32_t index) const {
    const auto it = std::find(entries_.begin(), entries_.end(), index);
    return static_cast<int32_t>(it - entries_.begin());
}

}  // namespace app
