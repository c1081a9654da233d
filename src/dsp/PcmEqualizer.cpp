#include "dsp/PcmEqualizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/PcmSample.h"
#include "platform/PcmVolume.h"

namespace dsp {

namespace {

bool isFloat(const platform::WaveFormat& f) {
    return f.tag() == platform::kWaveFormatIeeeFloat;
}

// Full scale of an integer sample: the value that stands for 1.0.
double fullScale(unsigned bytes) {
    return std::ldexp(1.0, static_cast<int>(8 * bytes - 1));
}

}  // namespace

void PcmEqualizer::Configure(const platform::WaveFormat& format) {
    const bool sameShape = equalizer_ && format.samplesPerSec() == format_.samplesPerSec() &&
                           format.channels() == format_.channels();
    format_ = format;
    if (!platform::isPlayableFormat(format)) {
        equalizer_.reset();
        return;
    }
    if (sameShape) {
        equalizer_->Reset();
        return;
    }
    equalizer_ = std::make_unique<Equalizer>(format.samplesPerSec(), format.channels());
    if (settingsGiven_) {
        equalizer_->SetSettings(settings_);
    }
}

void PcmEqualizer::SetSettings(const EqualizerSettings& settings) {
    settings_ = settings;
    settingsGiven_ = true;
    if (equalizer_) {
        equalizer_->SetSettings(settings);
    }
}

void PcmEqualizer::Process(std::span<uint8_t> bytes) {
    if (!equalizer_ || equalizer_->Bypassed()) {
        return;
    }
    const size_t samples = bytes.size() / format_.blockAlign() * format_.channels();
    scratch_.resize(samples);
    Decode(bytes.data(), samples);
    equalizer_->Process(scratch_);
    Encode(bytes.data(), samples);
}

void PcmEqualizer::Decode(const uint8_t* from, size_t samples) {
    const unsigned bytes = format_.bitsPerSample() / 8;
    if (isFloat(format_)) {
        for (size_t i = 0; i < samples; ++i, from += bytes) {
            if (bytes == 4) {
                float v;
                std::memcpy(&v, from, sizeof v);
                scratch_[i] = v;
            } else {
                std::memcpy(&scratch_[i], from, sizeof(double));
            }
        }
        return;
    }
    const double scale = 1 / fullScale(bytes);
    for (size_t i = 0; i < samples; ++i, from += bytes) {
        scratch_[i] = static_cast<double>(platform::readPcmInt(from, bytes)) * scale;
    }
}

void PcmEqualizer::Encode(uint8_t* to, size_t samples) const {
    const unsigned bytes = format_.bitsPerSample() / 8;
    if (isFloat(format_)) {
        for (size_t i = 0; i < samples; ++i, to += bytes) {
            if (bytes == 4) {
                const auto v = static_cast<float>(scratch_[i]);
                std::memcpy(to, &v, sizeof v);
            } else {
                std::memcpy(to, &scratch_[i], sizeof(double));
            }
        }
        return;
    }
    const double scale = fullScale(bytes);
    for (size_t i = 0; i < samples; ++i, to += bytes) {
        const double v = std::clamp(std::nearbyint(scratch_[i] * scale), -scale, scale - 1);
        platform::writePcmInt(to, bytes, static_cast<int64_t>(v));
    }
}

}  // namespace dsp
