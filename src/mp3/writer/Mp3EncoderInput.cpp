#include "mp3/writer/Mp3EncoderInput.h"

#include <algorithm>

#include "mp3/enc/EncoderFormats.h"
#include "mp3/enc/Mp3WriterSettings.h"

namespace {

constexpr uint32_t kLowestVbrRate = 16000;
constexpr uint32_t kHighestRate = 48000;

bool TableRate(uint32_t rate) {
    return std::find(std::begin(mp3::enc::kTableRates), std::end(mp3::enc::kTableRates),
                     static_cast<int>(rate)) != std::end(mp3::enc::kTableRates);
}

}  // namespace

// More than two channels are mixed down to stereo rather than refused.
Mp3EncoderInput EncoderInputFor(const platform::WaveFormat& source, bool vbr) {
    const uint32_t rate = source.samplesPerSec();
    const bool usable = source.tag() == platform::kWaveFormatPcm && source.bitsPerSample() == 16 &&
                        TableRate(rate) && !(vbr && rate < kLowestVbrRate) &&
                        source.channels() >= 1 && source.channels() <= 2;
    if (usable) {
        return {rate, source.channels(), false};
    }
    uint32_t snapped = static_cast<uint32_t>(
        mp3::enc::snapSampleRate(static_cast<int>(std::min<uint32_t>(rate, kHighestRate))));
    if (vbr && snapped < kLowestVbrRate) {
        snapped = kLowestVbrRate;
    }
    const uint16_t channels = std::clamp<uint16_t>(source.channels(), 1, 2);
    return {snapped, channels, true};
}
