#include "mp3/acm/Mp3AcmCodec.h"

#include <algorithm>
#include <cstdlib>

#include "mp3/acm/Mp3DecodeConverter.h"
#include "mp3/acm/Mp3EncodeConverter.h"
#include "mp3/enc/EncoderFormats.h"
#include "platform/acm/FormatText.h"
#include "platform/acm/PcmLayout.h"

namespace mp3::acm {

namespace {

using platform::WaveFormat;
using platform::acm::kTagMpegLayer3;
using platform::acm::kTagPcm;

constexpr int kFastQuality = 0;
// Samples a decoder's synthesis filterbank adds in front of the encoder's.
constexpr int kDecoderDelay = 529;

platform::acm::FormatTagDetails tagDetails() {
    return {kTagMpegLayer3, "MPEG Layer-3", WaveFormat::kHeaderSize + Mp3WaveFormat::kExtraSize};
}

// The delay of a fresh encoder: where the source starts in decoded output.
uint16_t measuredCodecDelay() {
    const auto encoder = enc::Mp3EncoderHandle::create(44100, 2, kFastQuality);
    return static_cast<uint16_t>((encoder ? encoder->config().engineOutput : 0) + kDecoderDelay);
}

bool isPcm16(const WaveFormat& pcm, uint32_t sampleRate, uint16_t channels) {
    const auto layout = platform::acm::PcmLayout::of(pcm);
    return layout && layout->kind == platform::acm::SampleKind::Int16 &&
           layout->rate == sampleRate && layout->channels == channels;
}

}  // namespace

Mp3AcmCodec::Mp3AcmCodec() : codecDelay_(measuredCodecDelay()) {}

std::vector<uint32_t> Mp3AcmCodec::bitrates(uint32_t sampleRate, uint16_t channels) {
    std::vector<uint32_t> list;
    const auto offered =
        enc::listOfferedFormats(static_cast<int>(sampleRate), channels, kFastQuality, false);
    for (const auto& f : offered) {
        const auto bitrate = static_cast<uint32_t>(f.bitrate);
        if (f.sampleRate == static_cast<int>(sampleRate) && f.channels == channels &&
            isTableBitrate(sampleRate, bitrate)) {
            list.push_back(bitrate);
        }
    }
    return list;
}

std::vector<platform::acm::FormatTagDetails> Mp3AcmCodec::formatTags() const {
    return {tagDetails()};
}

std::optional<platform::acm::FormatTagDetails> Mp3AcmCodec::formatTagDetails(uint16_t tag) const {
    if (tag != kTagMpegLayer3) {
        return std::nullopt;
    }
    return tagDetails();
}

std::vector<WaveFormat> Mp3AcmCodec::formats(uint16_t tag) const {
    std::vector<WaveFormat> all;
    if (tag != kTagMpegLayer3) {
        return all;
    }
    for (const int rate : enc::kTableRates) {
        const auto r = static_cast<uint32_t>(rate);
        for (uint16_t channels = 1; channels <= 2; ++channels) {
            for (const uint32_t bitrate : bitrates(r, channels)) {
                all.push_back(
                    Mp3WaveFormat::constantBitrate(r, channels, bitrate, codecDelay_).record());
            }
        }
    }
    return all;
}

std::optional<std::string> Mp3AcmCodec::formatText(const WaveFormat& format) const {
    const auto f = Mp3WaveFormat::parse(format);
    if (!f) {
        return std::nullopt;
    }
    const std::string rate = std::to_string((f->bitrate + 500) / 1000) + " kBit/s";
    return platform::acm::formatText(f->sampleRate, rate, f->channels);
}

std::optional<WaveFormat> Mp3AcmCodec::suggest(const WaveFormat& source,
                                               const platform::acm::SuggestFilter& filter) const {
    if (const auto f = Mp3WaveFormat::parse(source)) {
        if (filter.tag.value_or(kTagPcm) != kTagPcm) {
            return std::nullopt;
        }
        auto pcm = WaveFormat::pcm(f->channels, f->sampleRate, 16);
        return filter.admits(pcm) ? std::optional(pcm) : std::nullopt;
    }
    if (filter.tag == kTagMpegLayer3) {
        return suggestEncoding(source, filter);
    }
    return std::nullopt;
}

// The encoder's default bitrate for the PCM's rate and channels, or the
// offered bitrate nearest to it.
std::optional<WaveFormat> Mp3AcmCodec::suggestEncoding(
    const WaveFormat& source, const platform::acm::SuggestFilter& filter) const {
    const auto layout = platform::acm::PcmLayout::of(source);
    if (!layout) {
        return std::nullopt;
    }
    const uint32_t rate = filter.samplesPerSec.value_or(layout->rate);
    const uint16_t channels = filter.channels.value_or(std::min<uint16_t>(layout->channels, 2));
    const auto offered = isMpegRate(rate) ? bitrates(rate, channels) : std::vector<uint32_t>();
    if (offered.empty()) {
        return std::nullopt;
    }
    const auto wanted = static_cast<int64_t>(enc::defaultBitrate(static_cast<int>(rate), channels));
    const auto nearest = std::min_element(offered.begin(), offered.end(), [&](auto a, auto b) {
        return std::llabs(int64_t{a} - wanted) < std::llabs(int64_t{b} - wanted);
    });
    auto format = Mp3WaveFormat::constantBitrate(rate, channels, *nearest, codecDelay_).record();
    return filter.admits(format) ? std::optional(format) : std::nullopt;
}

bool Mp3AcmCodec::isWritable(const WaveFormat& format) const {
    const auto f = Mp3WaveFormat::parse(format);
    if (!f) {
        return false;
    }
    const auto offered = bitrates(f->sampleRate, f->channels);
    return std::find(offered.begin(), offered.end(), f->bitrate) != offered.end() &&
           Mp3WaveFormat::constantBitrate(f->sampleRate, f->channels, f->bitrate, f->codecDelay)
                   .record() == format;
}

std::unique_ptr<platform::acm::Converter> Mp3AcmCodec::open(const WaveFormat& source,
                                                            const WaveFormat& destination) const {
    if (const auto f = Mp3WaveFormat::parse(source)) {
        if (!isPcm16(destination, f->sampleRate, f->channels)) {
            return nullptr;
        }
        return std::make_unique<Mp3DecodeConverter>(*f);
    }
    const auto f = Mp3WaveFormat::parse(destination);
    if (!f || !isPcm16(source, f->sampleRate, f->channels) || !isWritable(destination)) {
        return nullptr;
    }
    return Mp3EncodeConverter::open(*f);
}

}  // namespace mp3::acm
