#pragma once

#include <cstdint>

namespace platform::acm {

// G.711 companding of 16-bit samples. Decoding gives the middle of each
// code's interval; encoding picks the code whose level is nearest (the
// standard's intervals, except just above a segment boundary).
uint8_t linearToALaw(int16_t sample);
int16_t aLawToLinear(uint8_t code);
uint8_t linearToMuLaw(int16_t sample);
int16_t muLawToLinear(uint8_t code);

}  // namespace platform::acm
