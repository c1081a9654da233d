#pragma once

#include "mp3/L3Types.h"

namespace mp3 {

inline constexpr int kSynthesisRing = 16;

// History of the polyphase synthesis of one channel.
struct L3SynthesisState {
    alignas(16) float v[kSynthesisRing][2 * kSubbands];
    int position;
};

void l3ResetSynthesis(L3SynthesisState& state);

// Polyphase synthesis of one granule: in[slot * kSubbands + subband] gives
// kSlots * (kSubbands >> resolution) samples at full 16-bit scale, written
// to out with the given stride.
void l3Synthesize(L3SynthesisState& state, const float* in, int resolution, float* out, int stride);

}  // namespace mp3
