#include "platform/acm/SampleConvert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::acm {

namespace {

constexpr double kScale16 = 32768.0, kScale24 = 8388608.0, kScale32 = 2147483648.0;

int32_t readInt24(const uint8_t* p) {
    const uint32_t u = p[0] | (p[1] << 8) | (uint32_t{p[2]} << 16);
    return static_cast<int32_t>(u << 8) >> 8;
}

template <typename I>
I readLe(const uint8_t* p) {
    I v;
    std::memcpy(&v, p, sizeof v);  // the platforms built for are little endian
    return v;
}

template <typename I>
void writeLe(uint8_t* p, I v) {
    std::memcpy(p, &v, sizeof v);
}

int64_t quantise(double x, double scale) {
    if (std::isnan(x)) {
        return 0;
    }
    const double s = std::clamp(roundNearest(x * scale), -scale, scale - 1);
    return static_cast<int64_t>(s);
}

}  // namespace

template <typename T>
void readSamples(const uint8_t* src, SampleKind kind, size_t count, T* out) {
    switch (kind) {
        case SampleKind::UInt8:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>((int{src[i]} - 128) / 128.0);
            }
            break;
        case SampleKind::Int16:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>(readLe<int16_t>(src + 2 * i) / kScale16);
            }
            break;
        case SampleKind::Int24:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>(readInt24(src + 3 * i) / kScale24);
            }
            break;
        case SampleKind::Int32:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>(readLe<int32_t>(src + 4 * i) / kScale32);
            }
            break;
        case SampleKind::Float32:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>(readLe<float>(src + 4 * i));
            }
            break;
        case SampleKind::Float64:
            for (size_t i = 0; i < count; ++i) {
                out[i] = static_cast<T>(readLe<double>(src + 8 * i));
            }
            break;
    }
}

template <typename T>
void writeSamples(const T* in, SampleKind kind, size_t count, uint8_t* dst) {
    switch (kind) {
        case SampleKind::UInt8:
            for (size_t i = 0; i < count; ++i) {
                dst[i] = static_cast<uint8_t>(quantise(in[i], 128.0) + 128);
            }
            break;
        case SampleKind::Int16:
            for (size_t i = 0; i < count; ++i) {
                writeLe(dst + 2 * i, static_cast<int16_t>(quantise(in[i], kScale16)));
            }
            break;
        case SampleKind::Int24:
            for (size_t i = 0; i < count; ++i) {
                const auto v = static_cast<uint32_t>(quantise(in[i], kScale24));
                dst[3 * i] = static_cast<uint8_t>(v);
                dst[3 * i + 1] = static_cast<uint8_t>(v >> 8);
                dst[3 * i + 2] = static_cast<uint8_t>(v >> 16);
            }
            break;
        case SampleKind::Int32:
            for (size_t i = 0; i < count; ++i) {
                writeLe(dst + 4 * i, static_cast<int32_t>(quantise(in[i], kScale32)));
            }
            break;
        case SampleKind::Float32:
            for (size_t i = 0; i < count; ++i) {
                writeLe(dst + 4 * i, static_cast<float>(in[i]));
            }
            break;
        case SampleKind::Float64:
            for (size_t i = 0; i < count; ++i) {
                writeLe(dst + 8 * i, static_cast<double>(in[i]));
            }
            break;
    }
}

template <typename T>
void mixChannels(const T* in, uint16_t inChannels, T* out, uint16_t outChannels, size_t frames) {
    if (inChannels == outChannels) {
        std::copy_n(in, frames * inChannels, out);
    } else if (inChannels == 1) {
        for (size_t i = 0; i < frames; ++i) {
            out[2 * i] = out[2 * i + 1] = in[i];
        }
    } else {
        for (size_t i = 0; i < frames; ++i) {
            out[i] = static_cast<T>((in[2 * i] + in[2 * i + 1]) * T(0.5));
        }
    }
}

bool canMixChannels(uint16_t inChannels, uint16_t outChannels) {
    return inChannels == outChannels || (inChannels == 1 && outChannels == 2) ||
           (inChannels == 2 && outChannels == 1);
}

template void readSamples<float>(const uint8_t*, SampleKind, size_t, float*);
template void readSamples<double>(const uint8_t*, SampleKind, size_t, double*);
template void writeSamples<float>(const float*, SampleKind, size_t, uint8_t*);
template void writeSamples<double>(const double*, SampleKind, size_t, uint8_t*);
template void mixChannels<float>(const float*, uint16_t, float*, uint16_t, size_t);
template void mixChannels<double>(const double*, uint16_t, double*, uint16_t, size_t);

}  // namespace platform::acm
