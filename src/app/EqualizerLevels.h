#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The ten band levels of the equalizer as "Equalizer_Level" stores them:
// "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d".
struct EqualizerLevels {
    static constexpr size_t kBands = 10;

    std::array<int32_t, kBands> levels{};

    // Nothing unless the text is exactly ten numbers.
    static std::optional<EqualizerLevels> parse(std::string_view text);
    std::string format() const;
    bool operator==(const EqualizerLevels&) const = default;
};

}  // namespace app
