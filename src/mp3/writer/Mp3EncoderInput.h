#pragma once

#include <cstdint>

#include "platform/WaveFormat.h"

// The PCM the encoder is fed for a source: 16-bit integers at a rate of
// the encoder's table (16000 Hz at least for VBR) on one or two channels.
// Sources that deliver anything else go through the writer's converter.
struct Mp3EncoderInput {
    uint32_t rate = 0;
    uint16_t channels = 0;
    bool converted = false;  // the source's own PCM does not do
};

Mp3EncoderInput EncoderInputFor(const platform::WaveFormat& source, bool vbr);
