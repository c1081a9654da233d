#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace ui {

// The equalizer's seven presets: names of ten characters, blank-padded,
// shown as they stand, and band levels from the lowest band up.
struct EqualizerPreset {
    std::string_view name;
    std::array<int, 10> levels;
};

inline constexpr std::array<EqualizerPreset, 7> kEqualizerPresets = {{
    {"Flat      ", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"Low Boost ", {0, 2, 6, 2, 0, 0, 0, 0, 0, 0}},
    {"Mid Boost ", {0, 0, 0, 0, 2, 6, 2, 0, 0, 0}},
    {"High Boost", {0, 0, 0, 0, 0, 0, 0, 2, 4, 6}},
    {"Low Cut   ", {-12, -6, -2, 0, 0, 0, 0, 0, 0, 0}},
    {"Mid Cut   ", {0, 0, 0, 0, -4, -6, -4, 0, 0, 0}},
    {"High Cut  ", {0, 0, 0, 0, 0, 0, 0, -2, -4, -6}},
}};

}  // namespace ui
