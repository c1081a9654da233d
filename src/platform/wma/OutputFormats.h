#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace platform::wma {

// What a WMA file is encoded as.
struct OutputSettings {
    uint32_t sampleRate = 44100;
    uint16_t channels = 2;
    uint32_t bitrate = 128000;  // bits per second

    friend bool operator==(const OutputSettings&, const OutputSettings&) = default;
};

// Whether the encoder can produce a format, and if not, why, in words for
// the user (Japanese, like every message of the program).
struct OutputSupport {
    bool supported = false;
    std::string reason;  // empty when supported
};

// The formats the option page offers, in list order.
std::span<const OutputSettings> offeredFormats();

}  // namespace platform::wma
