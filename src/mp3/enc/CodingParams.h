#pragma once

#include "mp3/enc/EncError.h"

namespace mp3::enc {

// The coding parameters of one block type: bandwidth, the pe limits and the
// bit-spend range that steer the bit reservoir, and six tuning factors.
struct CodingParams {
    float bandwidth = 0.0f;  // Hz
    int peMin = 0;
    int peMax = 0;
    // Tuning factors; the loop uses 1 (the least share of its mean bits a
    // granule gets), 4 and 5 (lower and upper bound of one channel's share
    // of a granule's bits).
    float factors[6] = {};
    float minBitSpend = 0.0f;
    float maxBitSpend = 0.0f;
};

// Looks up the coding row for a bitrate, sample rate and channel count and
// interpolates its bandwidth; block types 0, 1 and 3 take the long-block
// values, 2 the short ones. Fails when no row holds the combination.
EncErrorPtr lookupCodingParams(int bitrate, int sampleRate, int channels, int blockType,
                               CodingParams& out);

}  // namespace mp3::enc
