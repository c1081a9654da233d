#pragma once

#include <cstdint>

namespace mp3 {

// Header bits that may change from frame to frame of one stream: protection,
// bitrate index, padding, private, mode, mode extension, copyright, original
// and emphasis. Everything else must stay the same while in sync.
inline constexpr uint32_t kMp3HeaderVariableBits = 0x0001F3FF;

inline constexpr uint32_t kMp3Version1 = 0;
inline constexpr uint32_t kMp3Version2 = 1;
inline constexpr uint32_t kMp3Version25 = 2;

// The longest frame taken, free format included: 640 kbit/s at 32 kHz, or
// 320 kbit/s at 8 kHz, padded.
inline constexpr uint32_t kMp3MaxFrameBytes = 2881;

// One decoded 32-bit frame header (most significant byte first) and the
// values that follow from it.
struct Mp3FrameHeader {
    uint32_t syncword = 0;
    uint32_t extension = 0;  // 0 marks MPEG-2.5
    uint32_t id = 0;         // 1 = MPEG-1
    uint32_t layer = 0;      // 1..3
    uint32_t crcPresent = 0;
    uint32_t bitrateIndex = 0;
    uint32_t samplingIndex = 0;
    uint32_t padding = 0;
    uint32_t privateBit = 0;
    uint32_t mode = 0;  // 3 = single channel
    uint32_t modeExtension = 0;
    uint32_t copyright = 0;
    uint32_t original = 0;
    uint32_t emphasis = 0;

    bool valid = false;
    uint32_t version = 0;  // kMp3Version1, kMp3Version2, kMp3Version25
    uint32_t channels = 0;
    uint32_t sampleRate = 0;       // Hz
    uint32_t bitrate = 0;          // bits per second
    uint32_t frameLengthBits = 0;  // whole frame, header included
    float frameDurationMs = 0.0f;
    uint32_t word = 0;  // the header word as read

    // Free format (bitrate index 0): bitrate and frame length stay 0 until
    // the distance to the next header is known (setFreeFormatLength).
    bool freeFormat() const { return valid && bitrateIndex == 0; }
    uint32_t frameBytes() const { return frameLengthBits / 8; }
    uint32_t samplesPerFrame() const;
    bool lowSamplingFrequency() const { return version != kMp3Version1; }
};

// Decodes a header word. Only valid Layer III headers are accepted; an
// invalid word leaves every field zero and returns false.
bool decodeMp3Header(uint32_t word, Mp3FrameHeader& header);

// Gives a free-format header its frame length from the stream's frame size
// without padding, and the bitrate that size stands for.
void setFreeFormatLength(Mp3FrameHeader& header, uint32_t unpaddedBytes);

// True for a header word of any MPEG audio layer (I, II or III) with
// allowed fields; tells a stream of another layer from no stream at all.
bool isMpegAudioHeader(uint32_t word);

// Samples per frame of a layer (1..3) and version.
uint32_t mp3SamplesPerFrame(uint32_t layer, uint32_t version);

}  // namespace mp3
