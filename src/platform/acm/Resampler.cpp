#include "platform/acm/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "platform/acm/SampleConvert.h"

namespace platform::acm {

namespace {

constexpr size_t kChunkFrames = 4096;

uint32_t checkedRate(uint32_t inRate, uint32_t outRate, uint16_t channels) {
    if (channels == 0 || !Resampler::supports(inRate, outRate)) {
        throw std::invalid_argument("Resampler: unsupported rates or channels");
    }
    return inRate;
}

void toInt16(const std::vector<float>& samples, size_t count, std::span<int16_t> out) {
    writeSamples(samples.data(), SampleKind::Int16, count, reinterpret_cast<uint8_t*>(out.data()));
}

}  // namespace

Resampler::Resampler(uint32_t inRate, uint32_t outRate, uint16_t channels)
    : Resampler(inRate, outRate, channels, DotKernel::best()) {}

Resampler::Resampler(uint32_t inRate, uint32_t outRate, uint16_t channels, DotKernel kernel)
    : inRate_(checkedRate(inRate, outRate, channels)),
      outRate_(outRate),
      channels_(channels),
      filter_(inRate, outRate),
      kernel_(kernel),
      history_(channels) {
    const uint32_t g = std::gcd(inRate, outRate);
    step_ = inRate / g;
    phases_ = outRate / g;
    interpolated_.resize(filter_.taps());
    reset();
}

bool Resampler::supports(uint32_t inRate, uint32_t outRate) {
    return inRate > 0 && outRate > 0 && uint64_t{inRate} <= uint64_t{outRate} * kMaxRatio &&
           uint64_t{outRate} <= uint64_t{inRate} * kMaxRatio;
}

void Resampler::reset() {
    // The first output sits on input frame 0, so half a filter of silence
    // goes in front of it.
    for (auto& h : history_) {
        h.assign(std::max(h.size(), filter_.taps() + kChunkFrames), 0.0f);
    }
    fill_ = filter_.halfWidth() - 1;
    base_ = 0;
    frac_ = 0;
    framesIn_ = framesOut_ = 0;
    finishing_ = false;
}

size_t Resampler::process(std::span<const float> input, std::span<float> output) {
    if (finishing_) {
        throw std::logic_error("Resampler: process after finish");
    }
    const size_t frames = input.size() / channels_;
    size_t written = drain(output.data(), output.size() / channels_);
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kChunkFrames, frames - done);
        append(input.data() + done * channels_, n);
        done += n;
        written += drain(output.data() + written * channels_, output.size() / channels_ - written);
    }
    return written;
}

size_t Resampler::process(std::span<const int16_t> input, std::span<int16_t> output) {
    scratchIn_.resize(input.size());
    readSamples(reinterpret_cast<const uint8_t*>(input.data()), SampleKind::Int16, input.size(),
                scratchIn_.data());
    scratchOut_.resize(output.size());
    const size_t frames = process(scratchIn_, scratchOut_);
    toInt16(scratchOut_, frames * channels_, output);
    return frames;
}

size_t Resampler::finish(std::span<float> output) {
    if (!finishing_) {
        finishing_ = true;
        const size_t remaining = finishFrames();
        if (remaining > 0) {
            const size_t lastBase = base_ + (frac_ + (remaining - 1) * step_) / phases_;
            const size_t needed = lastBase + filter_.taps();
            appendZeros(needed > fill_ ? needed - fill_ : 0);
        }
    }
    return drain(output.data(), output.size() / channels_);
}

size_t Resampler::finish(std::span<int16_t> output) {
    scratchOut_.resize(output.size());
    const size_t frames = finish(std::span<float>(scratchOut_));
    toInt16(scratchOut_, frames * channels_, output);
    return frames;
}

size_t Resampler::outputFramesFor(size_t inputFrames) const {
    const size_t avail = fill_ + inputFrames;
    if (base_ + filter_.taps() > avail) {
        return 0;
    }
    const uint64_t span = avail - filter_.taps() - base_;  // whole steps the bases may advance
    return static_cast<size_t>(((span + 1) * phases_ - 1 - frac_) / step_ + 1);
}

size_t Resampler::unread(size_t frames) {
    if (finishing_) {
        throw std::logic_error("Resampler: unread after finish");
    }
    const size_t n = std::min(frames, fill_ - base_);
    fill_ -= n;
    framesIn_ -= n;
    return n;
}

uint64_t Resampler::target() const {
    return (framesIn_ * phases_ + step_ / 2) / step_;
}

size_t Resampler::finishFrames() const {
    const uint64_t t = target();
    return t > framesOut_ ? static_cast<size_t>(t - framesOut_) : 0;
}

size_t Resampler::ready() const {
    const size_t n = outputFramesFor(0);
    return finishing_ ? std::min(n, finishFrames()) : n;
}

void Resampler::makeRoom(size_t frames) {
    auto& first = history_.front();
    if (fill_ + frames <= first.size()) {
        return;
    }
    const size_t kept = fill_ - base_;
    for (auto& h : history_) {
        std::memmove(h.data(), h.data() + base_, kept * sizeof(float));
        if (kept + frames > h.size()) {
            h.resize(kept + frames + kChunkFrames);
        }
    }
    base_ = 0;
    fill_ = kept;
}

void Resampler::append(const float* interleaved, size_t frames) {
    makeRoom(frames);
    for (uint16_t c = 0; c < channels_; ++c) {
        float* dst = history_[c].data() + fill_;
        for (size_t i = 0; i < frames; ++i) {
            dst[i] = interleaved[i * channels_ + c];
        }
    }
    fill_ += frames;
    framesIn_ += frames;
}

void Resampler::appendZeros(size_t frames) {
    makeRoom(frames);
    for (auto& h : history_) {
        std::fill_n(h.data() + fill_, frames, 0.0f);
    }
    fill_ += frames;
}

const float* Resampler::coefficients() {
    if (filter_.exact()) {
        return filter_.row(static_cast<size_t>(frac_));
    }
    const uint64_t pos = frac_ * filter_.phaseCount();
    const size_t r = static_cast<size_t>(pos / phases_);
    const float t = float(pos % phases_) / float(phases_);
    const float* a = filter_.row(r);
    const float* b = filter_.row(r + 1);
    for (size_t i = 0; i < interpolated_.size(); ++i) {
        interpolated_[i] = a[i] + t * (b[i] - a[i]);
    }
    return interpolated_.data();
}

void Resampler::advance() {
    frac_ += step_;
    base_ += static_cast<size_t>(frac_ / phases_);
    frac_ %= phases_;
    ++framesOut_;
}

size_t Resampler::drain(float* output, size_t frames) {
    const size_t n = std::min(frames, ready());
    const size_t taps = filter_.taps();
    for (size_t k = 0; k < n; ++k, output += channels_) {
        const float* c = coefficients();
        if (channels_ == 2) {
            kernel_.dot2(history_[0].data() + base_, history_[1].data() + base_, c, taps, output,
                         output + 1);
        } else {
            for (uint16_t ch = 0; ch < channels_; ++ch) {
                output[ch] = kernel_.dot(history_[ch].data() + base_, c, taps);
            }
        }
        advance();
    }
    return n;
}

}  // namespace platform::acm
