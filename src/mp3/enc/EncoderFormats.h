#pragma once

#include <string>
#include <vector>

#include "mp3/enc/EncError.h"

namespace mp3::enc {

// One offered output format.
struct OfferedFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitrate = 0;
    bool defaultRate = false;  // the bitrate row's default rate
    int stereoTools = 0;       // 0 none, 1 mid/side, 2 intensity, 3 both
    bool fullSearch = false;
};

// A row of the ISO encoder's bitrate table for one channel count.
struct BitrateRow {
    int upperBound;  // exclusive; the next row starts here
    int lowestRate;
    int defaultRate;
    int highestRate;
    bool intensity;
    bool midSide;
    bool fullSearch;
};

inline constexpr int kTableRates[9] = {8000,  11025, 12000, 16000, 22050,
                                       24000, 32000, 44100, 48000};
inline constexpr int kOfferedBitrates[19] = {8000,   16000,  18000,  20000,  24000, 32000,  40000,
                                             48000,  56000,  64000,  80000,  96000, 112000, 128000,
                                             160000, 192000, 224000, 256000, 320000};

// The row holding a bitrate for 1 or 2 channels; null outside the table.
const BitrateRow* bitrateRow(int channels, int bitrate);

// What the ISO encoder's bitrate check settles on.
struct BitrateCheck {
    int sampleRate = 0;
    int stereoTools = 0;
    bool fullSearch = false;
};

// The bitrate check: picks the output rate (the row's default, or with
// encoder quality below 7 the first rate the input divides into within the
// row) and the stereo tools.
EncErrorPtr checkIsoBitrate(int channels, int bitrate, int inputRate, int quality,
                            bool intensityDisabled, BitrateCheck& out);

// Every format on offer for an input (rate, channels) at an encoder quality.
std::vector<OfferedFormat> listOfferedFormats(int inputRate, int inputChannels, int quality,
                                              bool allowMono);

// The default bitrate of a rate and channel count; 0 for other rates.
int defaultBitrate(int sampleRate, int channels);

// True when the input rate is 1, 1.5, 2, 3, 4 or 6 times the output rate.
bool simpleRatio(int inputRate, int outputRate);

}  // namespace mp3::enc
