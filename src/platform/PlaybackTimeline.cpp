#include "platform/PlaybackTimeline.h"

#include <algorithm>

namespace platform {

namespace {
constexpr int64_t kNanosPerSecond = 1'000'000'000;
}

PlaybackTimeline::PlaybackTimeline(uint32_t samplesPerSec, uint32_t blockAlign, bool paced)
    : rate_(std::max<uint32_t>(samplesPerSec, 1)),
      align_(std::max<uint32_t>(blockAlign, 1)),
      paced_(paced) {}

// Split into whole seconds and the rest so that hours of playing at high
// rates stay inside 64 bits.
uint64_t PlaybackTimeline::framesIn(Nanos elapsed) const {
    const int64_t ns = std::max<int64_t>(elapsed.count(), 0);
    const auto seconds = static_cast<uint64_t>(ns / kNanosPerSecond);
    const auto rest = static_cast<uint64_t>(ns % kNanosPerSecond);
    return seconds * rate_ + rest * rate_ / kNanosPerSecond;
}

uint64_t PlaybackTimeline::played(Nanos now) const {
    if (!running_) {
        return anchorBytes_;
    }
    if (!paced_) {
        return queued_;
    }
    return std::min(queued_, anchorBytes_ + framesIn(now - anchorTime_) * align_);
}

PlaybackTimeline::Nanos PlaybackTimeline::timeWhenPlayed(uint64_t bytes) const {
    if (!paced_ || bytes <= anchorBytes_) {
        return anchorTime_;
    }
    const uint64_t frames = (bytes - anchorBytes_ + align_ - 1) / align_;
    const uint64_t seconds = frames / rate_;
    const uint64_t rest = frames % rate_;
    const auto ns = seconds * kNanosPerSecond + (rest * kNanosPerSecond + rate_ - 1) / rate_;
    return anchorTime_ + Nanos(static_cast<int64_t>(ns));
}

void PlaybackTimeline::append(Nanos now, uint64_t bytes) {
    if (running_ && played(now) == queued_) {
        // Idle: the new bytes start playing now, not when the last ones ended.
        anchorBytes_ = queued_;
        anchorTime_ = now;
    }
    queued_ += bytes;
}

void PlaybackTimeline::pause(Nanos now) {
    if (running_) {
        anchorBytes_ = played(now);
        running_ = false;
    }
}

void PlaybackTimeline::restart(Nanos now) {
    if (!running_) {
        anchorTime_ = now;
        running_ = true;
    }
}

void PlaybackTimeline::reset(Nanos now) {
    queued_ = 0;
    anchorBytes_ = 0;
    anchorTime_ = now;
}

}  // namespace platform
