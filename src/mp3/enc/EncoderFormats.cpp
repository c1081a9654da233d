#include "mp3/enc/EncoderFormats.h"

#include <algorithm>

namespace mp3::enc {

namespace {
constexpr const char* kModule = "encifc";

constexpr BitrateRow kMonoRows[] = {
    {16000, 8000, 8000, 11025, false, false, true},
    {24000, 11025, 16000, 16000, false, false, true},
    {32000, 16000, 16000, 24000, false, false, true},
    {40000, 22050, 22050, 24000, false, false, true},
    {48000, 22050, 22050, 24000, false, false, true},
    {64000, 22050, 32000, 44100, false, false, false},
    {320000, 32000, 44100, 48000, false, false, false},
    {320001, 32000, 44100, 48000, false, false, false},
};
constexpr BitrateRow kStereoRows[] = {
    {20000, 0, 0, 0, false, false, false},
    {24000, 11025, 11025, 12000, true, true, true},
    {32000, 11025, 11025, 12000, true, true, true},
    {40000, 11025, 16000, 16000, true, true, true},
    {48000, 22050, 22050, 24000, true, true, true},
    {64000, 22050, 22050, 24000, true, true, true},
    {80000, 22050, 22050, 24000, true, true, true},
    {96000, 22050, 22050, 32000, true, true, false},
    {112000, 32000, 32000, 44100, true, true, false},
    {160000, 32000, 44100, 48000, false, true, false},
    {320000, 32000, 44100, 48000, false, false, false},
    {320001, 32000, 48000, 48000, false, false, false},
};

bool isTableRate(int rate) {
    for (const int r : kTableRates) {
        if (r == rate) {
            return true;
        }
    }
    return false;
}

int toolsOf(const BitrateRow& row, bool intensityDisabled) {
    if (row.intensity && !intensityDisabled) {
        return row.midSide ? 3 : 2;
    }
    return row.midSide ? 1 : 0;
}
}  // namespace

const BitrateRow* bitrateRow(int channels, int bitrate) {
    const BitrateRow* rows = channels == 1 ? kMonoRows : kStereoRows;
    const int count = channels == 1 ? 8 : 12;
    if (bitrate < 8000 || bitrate > 320000) {
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        if (rows[i].upperBound > bitrate) {
            return &rows[i];
        }
    }
    return nullptr;
}

EncErrorPtr checkIsoBitrate(int channels, int bitrate, int inputRate, int quality,
                            bool intensityDisabled, BitrateCheck& out) {
    if (bitrate < 8000) {
        return MP3ENC_ERROR(kModule, "bitrates < 8000 not supported by ISO MPEG Layer-3");
    }
    if (bitrate > 320000) {
        return MP3ENC_ERROR(kModule, "bitrates > 320000 not supported by ISO MPEG Layer-3");
    }
    const BitrateRow* row = bitrateRow(channels, bitrate);
    if (row == nullptr || row->defaultRate == 0) {
        return MP3ENC_ERROR(kModule, "bitrate invalid for this mode");
    }
    out.sampleRate = row->defaultRate;
    if (quality < 7) {
        for (int divisor = 1; divisor <= 6; ++divisor) {
            const int rate = inputRate / divisor;
            if (rate * divisor == inputRate && isTableRate(rate) && rate >= row->lowestRate &&
                rate <= row->highestRate) {
                out.sampleRate = rate;
                break;
            }
        }
    }
    out.stereoTools = toolsOf(*row, intensityDisabled);
    out.fullSearch = quality < 3 ? false : (quality <= 7 ? row->fullSearch : true);
    return nullptr;
}

std::vector<OfferedFormat> listOfferedFormats(int inputRate, int inputChannels, int quality,
                                              bool allowMono) {
    std::vector<OfferedFormat> formats;
    const int most = std::min(inputChannels, 2);
    for (int channels = allowMono ? 1 : most; channels <= most; ++channels) {
        for (const int bitrate : kOfferedBitrates) {
            const bool inRange = channels == 1 ? bitrate <= 128000 : bitrate >= 20000;
            const BitrateRow* row = bitrateRow(channels, bitrate);
            if (!inRange || row == nullptr || row->defaultRate == 0) {
                continue;
            }
            for (const int rate : kTableRates) {
                if (rate > inputRate || rate < row->lowestRate || rate > row->highestRate) {
                    continue;
                }
                if (quality < 7 && inputRate % rate != 0) {
                    continue;
                }
                formats.push_back({channels, rate, bitrate, rate == row->defaultRate,
                                   toolsOf(*row, false), row->fullSearch});
            }
        }
    }
    return formats;
}

int defaultBitrate(int sampleRate, int channels) {
    switch (sampleRate) {
        case 48000:
        case 44100:
            return 64000 * channels;
        case 32000:
            return 48000 * channels;
        case 24000:
        case 22050:
            return 32000 * channels;
        case 16000:
            return 24000 * channels;
        case 12000:
        case 11025:
            return 16000 * channels;
        case 8000:
            return 8000 * channels;
        default:
            return 0;
    }
}

bool simpleRatio(int inputRate, int outputRate) {
    if (outputRate <= 0) {
        return false;
    }
    for (const int k : {1, 2, 3, 4, 6}) {
        if (inputRate == k * outputRate) {
            return true;
        }
    }
    return 2 * inputRate == 3 * outputRate;
}

}  // namespace mp3::enc
