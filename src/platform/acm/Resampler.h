#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/acm/DotKernel.h"
#include "platform/acm/PolyphaseFilter.h"

namespace platform::acm {

// Streaming sample-rate conversion of interleaved audio between any two
// rates (at most kMaxRatio apart) through a polyphase windowed-sinc filter:
// pass band flat to 0.45 x the lower rate, everything that would alias or
// image 110 dB down. Output frame k is the signal at input time
// k x inRate / outRate exactly (no delay, no drift), and after finish() the
// output holds round(input frames x outRate / inRate) frames.
//
// process() takes all input it is given and writes the output that input
// completes; output that does not fit is kept for the next call. The last
// frames of every call are held back as look-ahead until more input or
// finish() arrives.
class Resampler {
  public:
    static constexpr uint32_t kMaxRatio = 256;

    // Throws std::invalid_argument for a zero rate, zero channels or rates
    // more than kMaxRatio apart.
    Resampler(uint32_t inRate, uint32_t outRate, uint16_t channels);
    Resampler(uint32_t inRate, uint32_t outRate, uint16_t channels, DotKernel kernel);

    static bool supports(uint32_t inRate, uint32_t outRate);

    uint32_t inputRate() const { return inRate_; }
    uint32_t outputRate() const { return outRate_; }
    uint16_t channels() const { return channels_; }

    // Float samples, nominally within [-1, 1]; returns frames written.
    size_t process(std::span<const float> input, std::span<float> output);
    // 16-bit samples; the output is rounded and clipped at full scale.
    size_t process(std::span<const int16_t> input, std::span<int16_t> output);
    // Ends the input: writes the remaining frames (call again while it
    // returns frames). process() may follow only after reset().
    size_t finish(std::span<float> output);
    size_t finish(std::span<int16_t> output);
    void reset();

    // Frames a process() call with `inputFrames` more input writes when
    // its output is large enough.
    size_t outputFramesFor(size_t inputFrames) const;
    // Takes back up to `frames` of the latest input that the next output
    // still needs (its look-ahead), as if they had not been given yet; they
    // must be given again. Returns the frames taken back.
    size_t unread(size_t frames);
    // Frames finish() still writes in all.
    size_t finishFrames() const;
    // Input frames a call may hold back as look-ahead, at most.
    size_t lookAheadFrames() const { return filter_.taps(); }

    uint64_t framesIn() const { return framesIn_; }
    uint64_t framesOut() const { return framesOut_; }

  private:
    void append(const float* interleaved, size_t frames);
    void appendZeros(size_t frames);
    void makeRoom(size_t frames);
    size_t ready() const;
    size_t drain(float* output, size_t frames);
    const float* coefficients();
    void advance();
    uint64_t target() const;

    uint32_t inRate_, outRate_;
    uint16_t channels_;
    uint64_t step_ = 0, phases_ = 0;  // reduced ratio: input step / output phases
    PolyphaseFilter filter_;
    DotKernel kernel_;

    std::vector<std::vector<float>> history_;  // per channel
    size_t base_ = 0;                          // first tap of the next output
    size_t fill_ = 0;
    uint64_t frac_ = 0;  // phase of the next output, in 1/phases_
    uint64_t framesIn_ = 0, framesOut_ = 0;
    bool finishing_ = false;

    std::vector<float> interpolated_;
    std::vector<float> scratchIn_, scratchOut_;
};

}  // namespace platform::acm
