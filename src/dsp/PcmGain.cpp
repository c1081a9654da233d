#include "dsp/PcmGain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/PcmSample.h"
#include "platform/PcmVolume.h"

namespace dsp {

namespace {

template <typename Float>
void scaleFloats(uint8_t* p, size_t count, double factor) {
    for (size_t i = 0; i < count; ++i, p += sizeof(Float)) {
        Float v;
        std::memcpy(&v, p, sizeof v);
        v = static_cast<Float>(v * factor);
        std::memcpy(p, &v, sizeof v);
    }
}

void scaleInts(uint8_t* p, size_t count, unsigned bytes, double factor) {
    const double high = std::ldexp(1.0, int(8 * bytes) - 1) - 1;
    for (size_t i = 0; i < count; ++i, p += bytes) {
        const double v = std::round(double(platform::readPcmInt(p, bytes)) * factor);
        platform::writePcmInt(p, bytes, static_cast<int64_t>(std::clamp(v, -high - 1, high)));
    }
}

}  // namespace

void applyGain(const platform::WaveFormat& format, std::span<uint8_t> frames, float factor) {
    if (factor == 1.0f || !std::isfinite(factor) || !platform::isPlayableFormat(format)) {
        return;
    }
    const unsigned bytes = format.bitsPerSample() / 8;
    const size_t samples = (frames.size() - frames.size() % format.blockAlign()) / bytes;
    if (format.tag() == platform::kWaveFormatIeeeFloat) {
        bytes == 4 ? scaleFloats<float>(frames.data(), samples, factor)
                   : scaleFloats<double>(frames.data(), samples, factor);
    } else {
        scaleInts(frames.data(), samples, bytes, factor);
    }
}

}  // namespace dsp
