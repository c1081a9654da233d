#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/WaveFormat.h"

namespace platform::acm {

enum class SampleKind : uint8_t { UInt8, Int16, Int24, Int32, Float32, Float64 };

// The sample layout of an uncompressed wave format: integer PCM (tag 1),
// IEEE float (tag 3), or either inside an extensible record (0xFFFE).
struct PcmLayout {
    static constexpr uint16_t kMaxChannels = 32;

    SampleKind kind = SampleKind::Int16;
    uint16_t channels = 0;
    uint32_t rate = 0;

    // Nothing for compressed formats and inconsistent records (a block
    // align that is not channels x sample size, zero rate or channels).
    static std::optional<PcmLayout> of(const WaveFormat& format);

    size_t bytesPerSample() const;
    size_t blockAlign() const { return bytesPerSample() * channels; }
    bool isFloat() const { return kind == SampleKind::Float32 || kind == SampleKind::Float64; }
    // The plain record: tag 1 for integers, tag 3 for floats.
    WaveFormat format() const;
};

// The layout of an integer (tag 1) or float (tag 3) sample of that size.
std::optional<SampleKind> sampleKind(uint16_t tag, uint16_t bitsPerSample);

}  // namespace platform::acm
