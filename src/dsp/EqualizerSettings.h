#pragma once

#include <array>
#include <cstddef>

namespace dsp {

inline constexpr size_t kEqualizerBands = 10;

// What the listener asked for: the level of each band and the
// pre-amplifier in dB; off means the samples pass untouched.
struct EqualizerSettings {
    std::array<double, kEqualizerBands> levelsDb{};
    double gainDb = 0;
    bool enabled = false;

    // True when the settings leave every sample as it is.
    bool isNeutral() const;
    bool operator==(const EqualizerSettings&) const = default;
};

}  // namespace dsp
