#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/acm/PcmLayout.h"

namespace platform::acm {

// Rounds to the nearest integer (ties to even) without a library call;
// |x| must stay below 2^51.
inline double roundNearest(double x) {
    constexpr double kMagic = 6755399441055744.0;  // 1.5 x 2^52
    return (x + kMagic) - kMagic;
}

// Samples as values in [-1, 1): an n-bit integer v is v / 2^(n-1), 8-bit
// samples are offset by 128. Reading and writing with T = double is exact
// for every integer size; T = float is exact up to 24 bits.
template <typename T>
void readSamples(const uint8_t* src, SampleKind kind, size_t count, T* out);

// Integers are rounded to nearest and clipped at full scale; floats are
// stored as they are.
template <typename T>
void writeSamples(const T* in, SampleKind kind, size_t count, uint8_t* dst);

// Same channel count: copy; 1 -> 2: both get the sample; 2 -> 1: the mean.
template <typename T>
void mixChannels(const T* in, uint16_t inChannels, T* out, uint16_t outChannels, size_t frames);

bool canMixChannels(uint16_t inChannels, uint16_t outChannels);

}  // namespace platform::acm
