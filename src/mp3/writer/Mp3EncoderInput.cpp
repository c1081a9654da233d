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

Mp3EncoderInput EncoderInputFor(const platform::WaveFormat& source, bool vbr) {
    const uint32_t rate = source.samplesPerSec();
    const bool usable = source.tag() == platform::kWaveFormatPcm && source.bitsPerSample() == 16 &&
                        TableRate(rate) && !(vbr && rate < kLowestVbrRate);
    if (usable) {
        return {rate, source.channels(), false};
    }
    uint32_t snapped = static_cast<uint32_t>(
        mp3::enc::snapSampleRate(static_cast<int>(std::min<uint32_t>(rate, kHighestRate))));
    if (vbr && snapped < kLowestVbrRate) {
        snapped = kLowestVbrRate;
    }
    return {snapped, source.channels(), true};
}

std::string Mp3ChannelsRefusalText(uint16_t channels) {
    return std::to_string(channels) +
           " チャンネルの音声は MP3 ファイルにできません。MP3 は 2 チャンネルまでです。";
}
