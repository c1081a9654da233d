#include "mp3/enc/CodingParams.h"

#include <algorithm>

namespace mp3::enc {

namespace {
constexpr const char* kModule = "psyparam";
constexpr int kOpen = 2147483647;

struct CodingRow {
    int bitrateFrom;
    int bitrateTo;  // exclusive
    int rateFrom;
    int rateTo;  // inclusive
    int monoBandwidth;
    int stereoBandwidth;
    int peMin;
    int peMax;
};

// Each sample-rate group ends with a closing row from 320001 bit/s that
// repeats its last row; it is the upper end of the bandwidth interpolation.
constexpr CodingRow kRows[] = {
    {8000, 16000, 8000, 8000, 3500, 3000, 400, 800},
    {16000, 320001, 8000, 8000, 4000, 4000, 600, 1000},
    {320001, kOpen, 8000, 8000, 4000, 4000, 600, 1000},
    {8000, 16000, 11025, 12000, 3500, 2900, 400, 800},
    {16000, 24000, 11025, 12000, 5200, 4300, 600, 1000},
    {24000, 320001, 11025, 12000, 6000, 6000, 800, 1400},
    {320001, kOpen, 11025, 12000, 6000, 6000, 800, 1400},
    {8000, 16000, 16000, 16000, 3500, 3000, 400, 800},
    {16000, 24000, 16000, 16000, 5300, 4100, 400, 800},
    {24000, 32000, 16000, 16000, 7500, 6500, 400, 800},
    {32000, 320001, 16000, 16000, 8000, 8000, 600, 1000},
    {320001, kOpen, 16000, 16000, 8000, 8000, 600, 1000},
    {8000, 16000, 22050, 24000, 3500, 3000, 400, 800},
    {16000, 24000, 22050, 24000, 5500, 4000, 600, 1000},
    {24000, 32000, 22050, 24000, 7500, 6500, 800, 1200},
    {32000, 40000, 22050, 24000, 10500, 8000, 900, 1200},
    {40000, 48000, 22050, 24000, 12000, 9500, 1000, 1800},
    {48000, 56000, 22050, 24000, 12000, 11000, 1000, 1800},
    {56000, 320001, 22050, 24000, 12000, 12000, 1200, 2000},
    {320001, kOpen, 22050, 24000, 12000, 12000, 1200, 2000},
    {16000, 24000, 32000, 32000, 5000, 4000, 400, 800},
    {24000, 32000, 32000, 32000, 7500, 6500, 400, 800},
    {32000, 40000, 32000, 32000, 10000, 8000, 600, 1000},
    {40000, 48000, 32000, 32000, 12000, 9500, 700, 1200},
    {48000, 56000, 32000, 32000, 14000, 11000, 800, 1500},
    {56000, 80000, 32000, 32000, 14500, 14000, 1000, 1800},
    {80000, 320001, 32000, 32000, 16000, 16000, 1000, 1800},
    {320001, kOpen, 32000, 32000, 16000, 16000, 1000, 1800},
    {16000, 24000, 44100, 48000, 5000, 4000, 400, 800},
    {24000, 32000, 44100, 48000, 7500, 6500, 400, 800},
    {32000, 40000, 44100, 48000, 10000, 8000, 400, 800},
    {40000, 48000, 44100, 48000, 11500, 9500, 550, 1000},
    {48000, 56000, 44100, 48000, 13500, 11000, 750, 1500},
    {56000, 64000, 44100, 48000, 14200, 12300, 800, 1500},
    {64000, 80000, 44100, 48000, 15500, 13000, 800, 1500},
    {80000, 256000, 44100, 48000, 20000, 16000, 1000, 1800},
    {256000, 320001, 44100, 48000, 24000, 24000, 1200, 2000},
    {320001, kOpen, 44100, 48000, 24000, 24000, 1200, 2000},
};
static_assert(sizeof kRows / sizeof kRows[0] == 38);

constexpr float kLongFactors[6] = {0.25f, 0.9f, 0.05f, 0.25f, 0.2f, 0.9f};
constexpr float kShortFactors[6] = {0.02f, 0.35f, -0.2f, 0.03f, 0.02f, 0.6f};

int bandwidthOf(const CodingRow& row, int channels) {
    return channels == 1 ? row.monoBandwidth : row.stereoBandwidth;
}
}  // namespace

EncErrorPtr lookupCodingParams(int bitrate, int sampleRate, int channels, int blockType,
                               CodingParams& out) {
    if (blockType < 0 || blockType > 3) {
        return MP3ENC_ERROR(kModule, "invalid block type parameter");
    }
    constexpr int kCount = sizeof kRows / sizeof kRows[0];
    for (int i = 0; i < kCount; ++i) {
        const CodingRow& row = kRows[i];
        if (bitrate < row.bitrateFrom || bitrate >= row.bitrateTo || sampleRate < row.rateFrom ||
            sampleRate > row.rateTo) {
            continue;
        }
        const bool isShort = blockType == 2;
        out.peMin = row.peMin;
        out.peMax = row.peMax;
        std::copy_n(isShort ? kShortFactors : kLongFactors, 6, out.factors);
        out.minBitSpend = isShort ? -0.01f : -0.1f;
        out.maxBitSpend = isShort ? 1.3f : 0.4f;
        double bandwidth = bandwidthOf(row, channels);
        if (i + 1 < kCount && row.bitrateTo != kOpen) {
            const double next = bandwidthOf(kRows[i + 1], channels);
            bandwidth += (next - bandwidth) * (bitrate - row.bitrateFrom) /
                         (row.bitrateTo - row.bitrateFrom);
        }
        out.bandwidth = static_cast<float>(std::min(bandwidth, sampleRate / 2.0));
        return nullptr;
    }
    return MP3ENC_ERROR(kModule,
                        "error initializing codParam: no parameter set found for this "
                        "combination of bit rate, sample rate and channel mode");
}

}  // namespace mp3::enc
