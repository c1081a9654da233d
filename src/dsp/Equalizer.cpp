#include "dsp/Equalizer.h"

#include <algorithm>
#include <cmath>

namespace dsp {

namespace {

constexpr double kKnee = 0.9;
// Filter memory below this is inaudible and cannot change a 32-bit sample.
constexpr double kRungOut = 1e-12;
// Memory this small is flushed to zero to keep clear of denormal numbers.
constexpr double kDenormalFloor = 1e-30;

}  // namespace

double softLimit(double x) {
    const double magnitude = std::abs(x);
    if (magnitude <= kKnee) {
        return x;
    }
    const double bent = kKnee + (1 - kKnee) * std::tanh((magnitude - kKnee) / (1 - kKnee));
    return std::copysign(bent, x);
}

Equalizer::Equalizer(double rate, unsigned channels)
    : rate_(rate),
      channels_(channels),
      design_(rate),
      glideSteps_(std::max<size_t>(
          1, static_cast<size_t>(std::ceil(rate * kGlideMs / 1000 / kStepFrames)))),
      states_(size_t{channels} * kEqualizerBands) {
    UpdateCoefficients();
}

void Equalizer::SetSettings(const EqualizerSettings& settings) {
    Gains gains{};
    if (settings.enabled) {
        gains = design_.FilterGains(settings.levelsDb);
    }
    const double gain = settings.enabled ? std::pow(10.0, settings.gainDb / 20) : 1.0;
    neutralTarget_ = settings.isNeutral();
    if (fresh_) {
        fresh_ = false;
        from_ = to_ = now_ = gains;
        gainFrom_ = gainTo_ = gainNow_ = gain;
        stepsDone_ = glideSteps_;
        bypassed_ = neutralTarget_;
        UpdateCoefficients();
        return;
    }
    if (gains == to_ && gain == gainTo_) {
        return;
    }
    from_ = now_;
    to_ = gains;
    gainFrom_ = gainNow_;
    gainTo_ = gain;
    stepsDone_ = 0;
    bypassed_ = false;
}

void Equalizer::Reset() {
    std::fill(states_.begin(), states_.end(), BiquadState{});
    if (stepsDone_ < glideSteps_) {
        // Nothing is heard of a glide across a jump: land on the target.
        stepsDone_ = glideSteps_;
        now_ = to_;
        gainNow_ = gainTo_;
        UpdateCoefficients();
    }
    bypassed_ = bypassed_ || neutralTarget_;
}

void Equalizer::UpdateCoefficients() {
    for (size_t b = 0; b < kEqualizerBands; ++b) {
        coefficients_[b] = design_.Filter(b, design_.Active(b) ? now_[b] : 0.0);
    }
}

void Equalizer::Advance() {
    ++stepsDone_;
    // Eased at both ends: a sudden start or stop of the glide rings the
    // low bells.
    const double linear = static_cast<double>(stepsDone_) / static_cast<double>(glideSteps_);
    const double t = linear * linear * (3 - 2 * linear);
    for (size_t b = 0; b < kEqualizerBands; ++b) {
        now_[b] = from_[b] + (to_[b] - from_[b]) * t;
    }
    if (stepsDone_ == glideSteps_) {
        now_ = to_;
    }
    UpdateCoefficients();
}

void Equalizer::Process(std::span<double> interleaved) {
    const size_t frames = interleaved.size() / channels_;
    for (size_t at = 0; at < frames && !bypassed_; at += kStepFrames) {
        const size_t count = std::min(kStepFrames, frames - at);
        const double gainBefore = gainNow_;
        if (stepsDone_ < glideSteps_) {
            Advance();
            gainNow_ = stepsDone_ == glideSteps_
                           ? gainTo_
                           : gainFrom_ + (gainTo_ - gainFrom_) * static_cast<double>(stepsDone_) /
                                             static_cast<double>(glideSteps_);
        }
        // Without a boost nothing can pass full scale: stay linear.
        const bool limit = gainNow_ > 1 || gainBefore > 1 ||
                           std::any_of(now_.begin(), now_.end(), [](double g) { return g > 0; });
        double* block = interleaved.data() + at * channels_;
        for (size_t i = 0; i < count; ++i) {
            const double gain = gainBefore + (gainNow_ - gainBefore) * static_cast<double>(i + 1) /
                                                 static_cast<double>(count);
            for (unsigned c = 0; c < channels_; ++c) {
                double x = block[i * channels_ + c] * gain;
                BiquadState* state = &states_[size_t{c} * kEqualizerBands];
                for (size_t b = 0; b < kEqualizerBands; ++b) {
                    x = state[b].step(coefficients_[b], x);
                }
                block[i * channels_ + c] = limit ? softLimit(x) : x;
            }
        }
        EnterBypassWhenRungOut();
    }
}

// Also flushes vanishing filter memory.
void Equalizer::EnterBypassWhenRungOut() {
    double ringing = 0;
    for (BiquadState& s : states_) {
        for (double* v : {&s.x1, &s.x2, &s.y1, &s.y2}) {
            if (std::abs(*v) < kDenormalFloor) {
                *v = 0;
            }
        }
        ringing = std::max(ringing, s.ringing());
    }
    if (neutralTarget_ && stepsDone_ == glideSteps_ && ringing < kRungOut) {
        std::fill(states_.begin(), states_.end(), BiquadState{});
        bypassed_ = true;
    }
}

}  // namespace dsp
