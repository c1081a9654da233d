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

EncErrorPtr createIsoEncoder(const IsoEncoderParams& params, OptionConfig& options,
                             int inputChannels, int outputRate, int outputChannels, int bitrate,
                             int stereoTools, bool fullSearch, bool crc,
                             std::unique_ptr<EncodingEngine>& result) {
    if (inputChannels != 1 && inputChannels != 2) {
        return MP3ENC_ERROR(kModule, "wrong number of channels on input");
    }
    if (params.emptyFirst != 0) {
        options.clear();
    }
    options.add("noCmdct");
    if (params.lowpass > 0.0f) {
        const double bw = std::min<double>(params.lowpass, outputRate / 2.0);
        options.add("bw", formatted("%5.0f", bw));
    }
    if (fullSearch) {
        options.add("hfs");
    }
    const bool thorough = params.quality >= 7;
    options.add("amp", thorough ? "1" : "2");
    options.add("mol", thorough ? "400" : "14");
    options.add("padding", formatted("%.0f", params.paddingMode));
    Layer3Config config;
    config.sampleRate = outputRate;
    config.channels = outputChannels;
    config.bitrate = bitrate;
    config.stereoTools =
        params.disableIntensity != 0 ? stereoTools & ~kToolsIntensity : stereoTools;
    config.crc = crc;
    config.privateBit = (params.headerFlags & kHeaderPrivate) != 0;
    config.copyright = (params.headerFlags & kHeaderCopyright) != 0;
    config.original = (params.headerFlags & kHeaderOriginal) != 0;
    config.bitstreamMode = kBitstreamMixed;
    std::unique_ptr<Layer3Encoder> encoder;
    if (auto e = Layer3Encoder::create(config, options, encoder)) {
        return MP3ENC_ERROR_CHAIN(kModule, "CreateLoopKernel() failed", std::move(e));
    }
    result = std::make_unique<EncodingEngine>(std::move(encoder), outputChannels);
    return nullptr;
}

EncErrorPtr createFastEngine(const FastEngineParams& params, OptionConfig& options,
                             std::unique_ptr<EncodingEngine>& result) {
    if (params.inputChannels != 1 && params.inputChannels != 2) {
        return MP3ENC_ERROR(kModule, "wrong number of channels on input");
    }
    options.clear();
    // The fast engine keeps to the real transform: the sine part costs
    // time that it is there to save.
    options.add("noCmdct");
    if (params.lowpass > 0.0f) {
        options.add("bw",
                    formatted("%5.0f", std::min<double>(params.lowpass, params.outputRate / 2.0)));
    }
    options.add("padding", formatted("%.0f", params.paddingMode));
    Layer3Config config;
    config.sampleRate = params.outputRate;
    config.channels = params.outputChannels;
    config.bitrate = params.bitrate;
    config.stereoTools = params.midSide ? kToolsMidSide : kToolsNone;
    config.crc = params.engineValue != 0;
    config.privateBit = params.privateBit;
    config.copyright = params.copyright;
    config.original = params.original;
    config.bitstreamMode = kBitstreamMixed;
    config.vbr = params.vbr;
    config.vbrQuality = params.vbrQuality;
    config.fast = !params.fastFlag;
    std::unique_ptr<Layer3Encoder> encoder;
    if (auto e = Layer3Encoder::create(config, options, encoder)) {
        return MP3ENC_ERROR_CHAIN(kModule, "CreateLoopKernel() failed", std::move(e));
    }
    result = std::make_unique<EncodingEngine>(std::move(encoder), params.outputChannels);
    return nullptr;
}

}  // namespace mp3::enc
