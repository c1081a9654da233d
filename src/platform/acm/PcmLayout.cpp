#include "platform/acm/PcmLayout.h"

#include <algorithm>
#include <array>

#include "platform/acm/AcmTypes.h"

namespace platform::acm {

namespace {

// An extensible record: valid bits u16, channel mask u32, then the
// sub-format GUID whose first two bytes are the plain tag.
constexpr size_t kExtensibleExtra = 22;
constexpr size_t kSubFormatAt = 6;
constexpr std::array<uint8_t, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::optional<uint16_t> plainTag(const WaveFormat& f) {
    if (f.tag() == kTagPcm || f.tag() == kTagIeeeFloat) {
        return f.tag();
    }
    const auto extra = f.extra();
    if (f.tag() != kTagExtensible || extra.size() < kExtensibleExtra) {
        return std::nullopt;
    }
    const auto tail = extra.subspan(kSubFormatAt + 2, kSubFormatTail.size());
    if (!std::equal(tail.begin(), tail.end(), kSubFormatTail.begin())) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(extra[kSubFormatAt] | (extra[kSubFormatAt + 1] << 8));
}

}  // namespace

std::optional<SampleKind> sampleKind(uint16_t tag, uint16_t bitsPerSample) {
    if (tag == kTagPcm) {
        switch (bitsPerSample) {
            case 8:
                return SampleKind::UInt8;
            case 16:
                return SampleKind::Int16;
            case 24:
                return SampleKind::Int24;
            case 32:
                return SampleKind::Int32;
            default:
                return std::nullopt;
        }
    }
    if (tag == kTagIeeeFloat) {
        switch (bitsPerSample) {
            case 32:
                return SampleKind::Float32;
            case 64:
                return SampleKind::Float64;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<PcmLayout> PcmLayout::of(const WaveFormat& format) {
    const auto tag = plainTag(format);
    if (!tag) {
        return std::nullopt;
    }
    const auto kind = sampleKind(*tag, format.bitsPerSample());
    if (!kind || format.channels() == 0 || format.channels() > kMaxChannels ||
        format.samplesPerSec() == 0) {
        return std::nullopt;
    }
    PcmLayout layout{*kind, format.channels(), format.samplesPerSec()};
    if (format.blockAlign() != layout.blockAlign()) {
        return std::nullopt;
    }
    return layout;
}

size_t PcmLayout::bytesPerSample() const {
    switch (kind) {
        case SampleKind::UInt8:
            return 1;
        case SampleKind::Int16:
            return 2;
        case SampleKind::Int24:
            return 3;
        case SampleKind::Int32:
            return 4;
        case SampleKind::Float32:
            return 4;
        case SampleKind::Float64:
            return 8;
    }
    return 0;
}

WaveFormat PcmLayout::format() const {
    auto f = WaveFormat::pcm(channels, rate, static_cast<uint16_t>(bytesPerSample() * 8));
    if (isFloat()) {
        f.setTag(kTagIeeeFloat);
    }
    return f;
}

}  // namespace platform::acm
