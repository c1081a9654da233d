#pragma once

#include <cstdint>

namespace platform::acm {

// G.711 companding of 16-bit samples. Encoding picks the segment interval
// the sample falls in; decoding gives the interval's middle.
uint8_t linearToALaw(int16_t sample);
int16_t aLawToLinear(uint8_t code);
uint8_t linearToMuLaw(int16_t sample);
int16_t muLawToLinear(uint8_t code);

}  // namespace platform::acm
