#pragma once

#include <cstdint>
#include <optional>

#include "platform/WaveFormat.h"

namespace mp3::acm {

// The MPEG Layer-3 wave format record (tag 0x55): the common header with
// avg bytes/s = bitrate / 8, block align 1, 0 bits per sample, and twelve
// extra bytes: wID u16, fdwFlags u32, nBlockSize u16, nFramesPerBlock u16,
// nCodecDelay u16.
struct Mp3WaveFormat {
    static constexpr uint16_t kExtraSize = 12;
    static constexpr uint16_t kIdMpeg = 1;
    // fdwFlags: how frames are padded.
    static constexpr uint32_t kPaddingIso = 0;
    static constexpr uint32_t kPaddingOn = 1;
    static constexpr uint32_t kPaddingOff = 2;

    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint32_t bitrate = 0;  // bits per second
    uint32_t flags = kPaddingIso;
    uint16_t blockSize = 0;  // bytes of an unpadded frame
    uint16_t framesPerBlock = 1;
    uint16_t codecDelay = 0;  // samples before the first of the source

    // The record of an ISO-padded constant-bitrate stream.
    static Mp3WaveFormat constantBitrate(uint32_t sampleRate, uint16_t channels, uint32_t bitrate,
                                         uint16_t codecDelay);
    // Reads a tag 0x55 record with one or two channels at an MPEG rate.
    // Streams from other writers may lack the extra bytes or carry other
    // values in them; only rate, channels and byte rate are needed to read.
    static std::optional<Mp3WaveFormat> parse(const platform::WaveFormat& format);

    platform::WaveFormat record() const;
};

// Frame geometry of the Layer III version a sample rate belongs to.
// MPEG-1 at 32000 Hz and above, the lower versions below.
bool isMpegRate(uint32_t sampleRate);
uint32_t samplesPerFrame(uint32_t sampleRate);
// Bytes of an unpadded frame at a bitrate.
uint32_t frameBytes(uint32_t sampleRate, uint32_t bitrate);
// Whether the bitrate is one of the version's table bitrates.
bool isTableBitrate(uint32_t sampleRate, uint32_t bitrate);
// The smallest table bitrate of the rate's version.
uint32_t lowestBitrate(uint32_t sampleRate);

}  // namespace mp3::acm
