#pragma once

#include <cstdint>
#include <string>

#include "platform/WaveFormat.h"

// The PCM the encoder is fed for a source: 16-bit integers at a rate of
// the encoder's table (16000 Hz at least for VBR), on the source's
// channels. Sources that deliver anything else go through the writer's
// converter. The encoder takes one or two channels; no converter mixes more
// down, so such sources are refused (Mp3ChannelsRefusalText).
struct Mp3EncoderInput {
    uint32_t rate = 0;
    uint16_t channels = 0;
    bool converted = false;  // the source's own PCM does not do
};

Mp3EncoderInput EncoderInputFor(const platform::WaveFormat& source, bool vbr);

inline constexpr uint16_t kMp3MaxChannels = 2;

// Words for the user about a source with more channels than MP3 holds.
std::string Mp3ChannelsRefusalText(uint16_t channels);
