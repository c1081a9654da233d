#pragma once

#include "mp3/L3Types.h"

namespace mp3 {

// Slots of history the ring keeps: the window reaches 16 back, and four new
// slots are stored before they are windowed.
inline constexpr int kSynthesisRing = 32;
// Per slot: the DCT of the subband samples, then a zero and the same
// values reversed.
inline constexpr int kSynthesisVector = 2 * kSubbands + 4;

// History of the polyphase synthesis of one channel.
struct L3SynthesisState {
    alignas(16) float v[kSynthesisRing][kSynthesisVector];
    int position;
};

void l3ResetSynthesis(L3SynthesisState& state);

// Polyphase synthesis of one granule: in[slot * kSubbands + subband] (with
// room for two more slots of zeros) gives kSlots * (kSubbands >> resolution)
// samples at full 16-bit scale into out.
void l3Synthesize(L3SynthesisState& state, const float* in, int resolution, float* out);

}  // namespace mp3
