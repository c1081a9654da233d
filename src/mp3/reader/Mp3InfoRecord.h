#pragma once

#include <cstdint>

// What the reader tells of an MP3 stream, for the information dialog.
struct Mp3InfoRecord {
    uint32_t version = 0;  // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    uint32_t layer = 0;
    uint32_t crcPresent = 0;
    uint32_t bitrate = 0;  // bits per second, as analysed
    uint32_t sampleRate = 0;
    uint32_t privateBit = 0;
    uint32_t channels = 0;
    uint32_t mode = 0;
    uint32_t modeExtension = 0;
    uint32_t padding = 0;
    uint32_t copyright = 0;
    uint32_t original = 0;
    uint32_t emphasis = 0;
    float frameDurationMs = 0.0f;
    uint32_t variableBitrate = 0;
    uint32_t vbrHeader = 0;
    uint32_t seekable = 0;
    uint32_t durationMs = 0;
    uint32_t currentBitrate = 0;  // bits per second; follows the running means
};
