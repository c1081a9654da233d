#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/WaveFormat.h"

class CNxSSOptionPage;

namespace cli {

// A WAVE output format as given on the command line:
//   pcm:RATE:BITS:CHANNELS
//   ima-adpcm:RATE:CHANNELS  ms-adpcm:RATE:CHANNELS
//   alaw:RATE:CHANNELS       mulaw:RATE:CHANNELS
//   mp3:RATE:CHANNELS:BITRATE (kbit/s below 1000, else bit/s)
struct WaveFormatSpec {
    uint16_t tag = 0;
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
    uint16_t bits = 0;     // pcm only
    uint32_t bitrate = 0;  // mp3 only, bit/s

    // Nothing, with the reason in `error`, for text that is not a format.
    static std::optional<WaveFormatSpec> parse(const std::string& text, std::string& error);
    bool matches(const platform::WaveFormat& format) const;
};

// The tag of a format name ("mp3") or number ("0x55", "85").
std::optional<uint16_t> waveTagOf(const std::string& name);
// A format's command-line name ("mp3:44100:2:128"), or "0xTTTT:RATE:CHANNELS"
// for tags without a name.
std::string waveFormatName(const platform::WaveFormat& format);

// Makes the format the WAVE writer's settings through its option page and
// saves them as the page does. 0, or the exit code after the reason was
// printed: 2 for text that is not a format or a format the writer cannot
// produce.
int applyWaveFormat(CNxSSOptionPage& page, const std::string& text);

}  // namespace cli
