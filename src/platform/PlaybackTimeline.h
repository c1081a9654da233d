#pragma once

#include <cstdint>

#include "platform/WaveClock.h"

namespace platform {

// The play cursor of a device that plays in real time without hardware:
// while running and holding unplayed bytes it advances frame by frame at
// the sample rate; it stops at the end of the queued bytes (an underrun)
// and restarts from the time more bytes arrive. Unpaced, every queued byte
// counts as played at once. Positions are bytes since the last reset.
class PlaybackTimeline {
  public:
    using Nanos = WaveClock::Nanos;

    PlaybackTimeline(uint32_t samplesPerSec, uint32_t blockAlign, bool paced);

    uint64_t queued() const { return queued_; }
    bool running() const { return running_; }
    uint64_t played(Nanos now) const;
    // The earliest time at which played() reaches `bytes` (only while
    // running; beyond what is queued, when it would were it queued now).
    Nanos timeWhenPlayed(uint64_t bytes) const;

    void append(Nanos now, uint64_t bytes);
    void pause(Nanos now);
    void restart(Nanos now);
    // Position back to 0, nothing queued; a paused timeline stays paused.
    void reset(Nanos now);

  private:
    uint64_t framesIn(Nanos elapsed) const;

    uint32_t rate_;
    uint32_t align_;
    bool paced_;
    bool running_ = true;
    uint64_t queued_ = 0;
    uint64_t anchorBytes_ = 0;  // played() at anchorTime_
    Nanos anchorTime_{0};
};

}  // namespace platform
