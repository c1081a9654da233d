#pragma once

#include <cstdint>
#include <string>

#include "platform/WaveFormat.h"

namespace platform::wma {

// Facts of an opened WMA file and of the PCM the reader delivers.
struct StreamInfo {
    uint32_t sampleRate = 0;    // of the file and of the delivered PCM
    uint16_t channels = 0;      // delivered channels: 1 or 2 (more are mixed down)
    uint16_t fileChannels = 0;  // channels stored in the file
    uint32_t bitrate = 0;       // bits per second of the audio stream
    uint32_t durationMs = 0;    // play length
    std::string codecName;      // the library's long name of the codec

    // The delivered PCM: 16-bit, sampleRate, channels.
    WaveFormat outputFormat() const { return WaveFormat::pcm(channels, sampleRate, 16); }
};

}  // namespace platform::wma
