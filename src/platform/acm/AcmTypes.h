#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/WaveFormat.h"

namespace platform::acm {

// Result numbers of the compression layer, numbered as the classic
// multimedia API numbers them (callers put them into 0x83EC0000 | n codes).
enum Result : uint32_t {
    kOk = 0,
    kError = 1,
    kInvalidHandle = 5,
    kNoMemory = 7,
    kNotSupported = 8,
    kInvalidFlag = 10,
    kInvalidParam = 11,
    kNotPossible = 512,  // no codec converts between the two formats
    kBusy = 513,
    kUnprepared = 514,  // the stream header was not prepared for this stream
};

// Conversion flags.
// kConvertBlockAlign: convert whole source blocks only; input a codec cannot
//   use yet stays unconsumed and must be offered again.
// kConvertEnd: the source ends with this call; partial blocks are converted
//   and delayed output (a resampler's tail) is flushed.
// kConvertStart: forget the codec's state first (after a seek).
inline constexpr uint32_t kConvertBlockAlign = 0x04;
inline constexpr uint32_t kConvertStart = 0x10;
inline constexpr uint32_t kConvertEnd = 0x20;

// Well-known format tags handled here; others plug in through Codec.
inline constexpr uint16_t kTagPcm = 0x0001;
inline constexpr uint16_t kTagMsAdpcm = 0x0002;
inline constexpr uint16_t kTagIeeeFloat = 0x0003;
inline constexpr uint16_t kTagALaw = 0x0006;
inline constexpr uint16_t kTagMuLaw = 0x0007;
inline constexpr uint16_t kTagImaAdpcm = 0x0011;
inline constexpr uint16_t kTagMpegLayer3 = 0x0055;
inline constexpr uint16_t kTagExtensible = 0xFFFE;

struct FormatTagDetails {
    uint16_t tag = 0;
    std::string name;       // e.g. "IMA ADPCM"
    size_t formatSize = 0;  // bytes of the largest format record of this tag
};

struct FormatDetails {
    WaveFormat format;
    std::string text;  // e.g. "22.050 kHz, 4 ﾋﾞｯﾄ, ﾓﾉﾗﾙ"
};

// Fields a suggestion must keep; unset fields are the codec's choice.
struct SuggestFilter {
    std::optional<uint16_t> tag;
    std::optional<uint16_t> channels;
    std::optional<uint32_t> samplesPerSec;
    std::optional<uint16_t> bitsPerSample;

    bool admits(const WaveFormat& f) const {
        return (!tag || *tag == f.tag()) && (!channels || *channels == f.channels()) &&
               (!samplesPerSec || *samplesPerSec == f.samplesPerSec()) &&
               (!bitsPerSample || *bitsPerSample == f.bitsPerSample());
    }
};

}  // namespace platform::acm
