#include "mp3/enc/EncodingEngine.h"

#include <algorithm>
#include <cstdio>

namespace mp3::enc {

namespace {
constexpr const char* kModule = "encifc";

std::string formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
}  // namespace

EncodingEngine::EncodingEngine(std::unique_ptr<Layer3Encoder> encoder, int channels)
    : encoder_(std::move(encoder)), channels_(channels) {
    for (auto& p : planes_) {
        p.assign(kGranuleLines, 0.0f);
    }
}

void EncodingEngine::encode(const float* samples, std::vector<uint8_t>& out) {
    if (samples == nullptr) {
        encoder_->flush(out);
        return;
    }
    for (int i = 0; i < kGranuleLines; ++i) {
        for (int ch = 0; ch < channels_; ++ch) {
            planes_[ch][static_cast<size_t>(i)] = samples[i * channels_ + ch];
        }
    }
    const float* planes[kMaxChannels] = {planes_[0].data(), planes_[1].data()};
    encoder_->encodeGranule(planes, out);
}

EncErrorPtr setIsoParam(IsoEncoderParams& params, int number, double value) {
    switch (number) {
        case 0:
            params.quality = static_cast<int>(value);
            return nullptr;
        case 2:
            params.disableIntensity = 1;
            return nullptr;
        case 3:
            params.allowMono = 1;
            return nullptr;
        case 4:
            params.paddingMode = static_cast<int>(value);
            return nullptr;
        case 5:
            params.emptyFirst = 0;
            return nullptr;
        case 6:
            params.headerFlags = static_cast<int>(value);
            return nullptr;
        case 7:
            params.last = static_cast<int>(value);
            return nullptr;
        case 8:
            params.lowpass = static_cast<float>(value);
            return nullptr;
        default:
            return MP3ENC_ERROR(kModule, "invalid function parameter");
    }
}

namespace {
// The transform and the configuration's low-pass and padding as options,
// then the encoder.
EncErrorPtr createEngine(const Layer3Config& stream, OptionConfig& options,
                         std::unique_ptr<EncodingEngine>& result) {
    options.add("noCmdct");
    if (stream.lowpass > 0.0f) {
        const double bw = std::min<double>(stream.lowpass, stream.sampleRate / 2.0);
        options.add("bw", formatted("%5.0f", bw));
    }
    options.add("padding", formatted("%.0f", static_cast<int>(stream.padding)));
    std::unique_ptr<Layer3Encoder> encoder;
    if (auto e = Layer3Encoder::create(stream, options, encoder)) {
        return MP3ENC_ERROR_CHAIN(kModule, "CreateLoopKernel() failed", std::move(e));
    }
    result = std::make_unique<EncodingEngine>(std::move(encoder), stream.channels);
    return nullptr;
}
}  // namespace

EncErrorPtr createIsoEncoder(const IsoEncoderParams& params, Layer3Config stream, bool fullSearch,
                             int inputChannels, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result) {
    if (inputChannels != 1 && inputChannels != 2) {
        return MP3ENC_ERROR(kModule, "wrong number of channels on input");
    }
    if (params.emptyFirst != 0) {
        options.clear();
    }
    if (fullSearch) {
        options.add("hfs");
    }
    const bool thorough = params.quality >= 7;
    options.add("amp", thorough ? "1" : "2");
    options.add("mol", thorough ? "400" : "14");
    stream.lowpass = params.lowpass;
    stream.padding = static_cast<PaddingMode>(params.paddingMode);
    if (params.disableIntensity != 0) {
        stream.stereoTools &= ~kToolsIntensity;
    }
    stream.flags.privateBit = (params.headerFlags & kHeaderPrivate) != 0;
    stream.flags.copyright = (params.headerFlags & kHeaderCopyright) != 0;
    stream.flags.original = (params.headerFlags & kHeaderOriginal) != 0;
    stream.vbr = false;
    stream.fast = false;
    return createEngine(stream, options, result);
}

// The fast engine keeps to the real transform: the sine part costs time
// that it is there to save.
EncErrorPtr createFastEngine(const Layer3Config& stream, int inputChannels, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result) {
    if (inputChannels != 1 && inputChannels != 2) {
        return MP3ENC_ERROR(kModule, "wrong number of channels on input");
    }
    options.clear();
    return createEngine(stream, options, result);
}

}  // namespace mp3::enc
