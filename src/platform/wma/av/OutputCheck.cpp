#include "platform/wma/av/OutputCheck.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/wma/av/AvHandles.h"

namespace platform::wma {

namespace {

constexpr uint32_t kBitrateStep = 1000;
constexpr uint32_t kHighestBitrate = 1'000'000;

// Opens (and closes) an encoder with the settings; the encoder's own
// complaint is kept out of the log, the caller words the reason.
bool encoderAccepts(const AVCodec* codec, uint32_t rate, uint16_t channels, uint32_t bitrate) {
    CodecContext c(avcodec_alloc_context3(codec));
    if (!c) {
        return false;
    }
    c->log_level_offset = AV_LOG_DEBUG;
    c->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    c->sample_rate = static_cast<int>(rate);
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = bitrate;
    return avcodec_open2(c.get(), codec, nullptr) >= 0;
}

// The accepted bitrate nearest to a refused one, looking from `from`
// towards `to` (either direction) in steps of kBitrateStep. The accepted
// bitrates form one range, so a binary search finds its edge.
std::optional<uint32_t> nearestAccepted(const AVCodec* codec, const OutputSettings& s,
                                        uint32_t from, uint32_t to) {
    if (!encoderAccepts(codec, s.sampleRate, s.channels, to)) {
        return std::nullopt;
    }
    int64_t refused = from / kBitrateStep, accepted = to / kBitrateStep;
    while (std::abs(accepted - refused) > 1) {
        const int64_t mid = (refused + accepted) / 2;
        const auto bitrate = static_cast<uint32_t>(mid * kBitrateStep);
        (encoderAccepts(codec, s.sampleRate, s.channels, bitrate) ? accepted : refused) = mid;
    }
    return static_cast<uint32_t>(accepted * kBitrateStep);
}

std::string describe(const OutputSettings& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%uHz %s", s.sampleRate, s.channels == 1 ? "Mono" : "Stereo");
    return text;
}

std::string refusal(const AVCodec* codec, const OutputSettings& s) {
    char text[256];
    const std::string format = describe(s);
    if (const auto low = nearestAccepted(codec, s, s.bitrate, kHighestBitrate)) {
        std::snprintf(text, sizeof text,
                      "WMA エンコーダは %s を %uKbps では作成できません（%uKbps 以上が必要です）。",
                      format.c_str(), s.bitrate / 1000, *low / 1000);
    } else if (const auto high = nearestAccepted(codec, s, s.bitrate, kBitrateStep)) {
        std::snprintf(text, sizeof text,
                      "WMA エンコーダは %s を %uKbps では作成できません（%uKbps 以下が必要です）。",
                      format.c_str(), s.bitrate / 1000, *high / 1000);
    } else {
        std::snprintf(text, sizeof text, "WMA エンコーダは %s に対応していません。",
                      format.c_str());
    }
    return text;
}

}  // namespace

OutputSupport checkOutput(const OutputSettings& settings) {
    const AVCodec* codec = findWmaEncoder();
    if (codec == nullptr) {
        return {false, "WMA エンコーダがインストールされていません。"};
    }
    if (settings.channels < 1 || settings.channels > 2 || settings.sampleRate == 0 ||
        settings.bitrate == 0) {
        return {false, "WMA エンコーダは " + describe(settings) + " に対応していません。"};
    }
    if (encoderAccepts(codec, settings.sampleRate, settings.channels, settings.bitrate)) {
        return {true, {}};
    }
    return {false, refusal(codec, settings)};
}

}  // namespace platform::wma
