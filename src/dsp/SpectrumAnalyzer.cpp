#include "dsp/SpectrumAnalyzer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace dsp {

namespace {

// Bins per band for the two sizes with a fixed layout (starting at bin 1).
constexpr std::array<size_t, 16> kWidths512 = {1, 1, 1, 2, 2, 2, 3, 3, 4, 6, 6, 9, 11, 13, 17, 22};
constexpr std::array<size_t, 32> kWidths1024 = {1, 1, 1, 1, 1,  1,  1,  1,  1,  2, 2,
                                                2, 2, 2, 3, 3,  3,  3,  4,  5,  5, 6,
                                                6, 7, 8, 9, 11, 11, 13, 13, 34, 44};

// Full-scale reference powers, 16 .. 65536 points (about (32766.4 n)² / 2).
constexpr std::array<double, 13> kFullScale = {
    137424717449.8,     549699429745.04,    2198813487981.4,    8795244084650.0,
    35181005892358.0,   140723565033940.0,  562894883181970.0,  2251577970907400.0,
    9006298851047600.0, 3.6025186515059e16, 1.4410070880707e17, 5.7640305961966e17,
    2.3056124834363e18};

}  // namespace

SpectrumAnalyzer::SpectrumAnalyzer(size_t bands) {
    SetBands(bands);
}

size_t SpectrumAnalyzer::TransformSize(size_t bands) {
    if (bands == 16) {
        return 512;
    }
    if (bands == 32) {
        return 1024;
    }
    return std::clamp(std::bit_ceil(std::max<size_t>(bands, 1)), kMinSize, kMaxSize);
}

double SpectrumAnalyzer::FullScale(size_t size) {
    const int index = std::countr_zero(size) - 4;
    if (index < 0) {
        // Below the table: the same rule as its entries.
        return std::pow(32766.4 * static_cast<double>(size), 2) / 2;
    }
    return kFullScale[static_cast<size_t>(index)];
}

void SpectrumAnalyzer::SetBands(size_t bands) {
    const size_t size = TransformSize(bands);
    bandCount_ = std::min(bands, size / 2);
    if (size == 512 && bands == 16) {
        widths_.assign(kWidths512.begin(), kWidths512.end());
    } else if (size == 1024 && bands == 32) {
        widths_.assign(kWidths1024.begin(), kWidths1024.end());
    } else {
        widths_.assign(bandCount_, 1);
    }
    bands_.assign(bandCount_, -999);
    if (size == work_.size()) {
        return;
    }
    work_.assign(size, {});
    power_.assign(size / 2, 0);
    fullScale_ = FullScale(size);
    twiddles_.clear();
    for (size_t half = 1; half < size; half *= 2) {
        for (size_t k = 0; k < half; ++k) {
            const double angle =
                std::numbers::pi * static_cast<double>(k) / static_cast<double>(half);
            twiddles_.emplace_back(std::cos(angle), -std::sin(angle));
        }
    }
}

void SpectrumAnalyzer::SetLayout(unsigned bitsPerSample, unsigned channels) {
    bytesPerSample_ = bitsPerSample <= 8 ? 1 : 2;
    channels_ = channels >= 2 ? 2 : 1;
}

void SpectrumAnalyzer::Analyze(std::span<const uint8_t> samples) {
    if (samples.size() < Size() * FrameBytes()) {
        return;
    }
    Load(samples);
    Transform();
    Powers();
    SumBands();
}

void SpectrumAnalyzer::Load(std::span<const uint8_t> samples) {
    auto sample = [&](size_t at) -> double {
        if (bytesPerSample_ == 1) {
            return (samples[at] - 128) * 256.0;
        }
        return static_cast<int16_t>(samples[at] | samples[at + 1] << 8);
    };
    const size_t frameBytes = FrameBytes();
    for (size_t i = 0; i < work_.size(); ++i) {
        const size_t at = i * frameBytes;
        const double v =
            channels_ == 2 ? (sample(at) + sample(at + bytesPerSample_)) / 2 : sample(at);
        work_[i] = {v, 0};
    }
}

// Decimation in time: bit-reversed order, then one butterfly pass a stage.
void SpectrumAnalyzer::Transform() {
    const size_t n = work_.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(work_[i], work_[j]);
        }
    }
    // The products are written out: std::complex's operator* checks every
    // result for NaNs, which samples never give, at the cost of the loop.
    const std::complex<double>* stage = twiddles_.data();
    std::complex<double>* data = work_.data();
    for (size_t half = 1; half < n; stage += half, half *= 2) {
        for (size_t start = 0; start < n; start += 2 * half) {
            std::complex<double>* even = data + start;
            std::complex<double>* odd = even + half;
            for (size_t k = 0; k < half; ++k) {
                const double wr = stage[k].real();
                const double wi = stage[k].imag();
                const double orr = odd[k].real();
                const double oi = odd[k].imag();
                const double er = even[k].real();
                const double ei = even[k].imag();
                const double re = orr * wr - oi * wi;
                const double im = orr * wi + oi * wr;
                odd[k] = {er - re, ei - im};
                even[k] = {er + re, ei + im};
            }
        }
    }
}

void SpectrumAnalyzer::Powers() {
    for (size_t k = 1; k <= power_.size(); ++k) {
        const double p = 2 * std::norm(work_[k]);
        power_[k - 1] = p == 0 ? 1 : p;
    }
}

void SpectrumAnalyzer::SumBands() {
    size_t bin = 0;
    for (size_t b = 0; b < bandCount_; ++b) {
        double sum = 0;
        for (size_t i = 0; i < widths_[b] && bin < power_.size(); ++i) {
            sum += power_[bin++];
        }
        bands_[b] = std::min(0.0, 10 * std::log10(sum / fullScale_));
    }
}

}  // namespace dsp
