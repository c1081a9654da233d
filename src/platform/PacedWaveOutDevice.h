#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "platform/PlaybackTimeline.h"
#include "platform/WaveBlockQueue.h"
#include "platform/WaveClock.h"
#include "platform/WaveOut.h"

namespace platform {

// Takes the bytes a paced device has played, after volume, in order.
class PcmSink {
  public:
    virtual ~PcmSink() = default;
    virtual void played(std::span<const uint8_t> bytes) = 0;
};

// A wave device without hardware: blocks play in real time on `clock` (or
// at once when not paced) and their played bytes go to an optional sink.
// One thread sleeps until the next block ends, hands it back and calls the
// done callback (never under the device lock).
class PacedWaveOutDevice final : public WaveOutDevice {
  public:
    struct Setup {
        WaveFormat format;
        WaveOutDriver::DoneCallback onDone;
        std::shared_ptr<WaveClock> clock;
        bool paced = true;
        std::shared_ptr<std::atomic<uint32_t>> volume;
        std::unique_ptr<PcmSink> sink;  // null: the bytes are discarded
    };

    explicit PacedWaveOutDevice(Setup setup);
    ~PacedWaveOutDevice() override;

    MmResult prepareHeader(WaveHeader& block) override;
    MmResult unprepareHeader(WaveHeader& block) override;
    MmResult write(WaveHeader& block) override;
    MmResult pause() override;
    MmResult restart() override;
    MmResult reset() override;
    MmResult getPosition(uint32_t& bytes) override;
    MmResult setVolume(uint32_t leftRight) override;
    MmResult getVolume(uint32_t& leftRight) override;

  private:
    void run();
    void finishDue();
    uint64_t wakePoint() const;
    void returnAll();
    void emit(const WaveBlockQueue::Entry& entry, uint64_t upTo);
    void deliverCallbacks(std::unique_lock<std::mutex>& lock);

    Setup setup_;
    std::mutex mutex_;
    std::condition_variable changed_;
    PlaybackTimeline timeline_;
    WaveBlockQueue queue_;
    size_t pendingCallbacks_ = 0;
    uint64_t awaited_ = 0;  // bytes handed back that the writer has not yet replaced
    bool quit_ = false;
    std::vector<uint8_t> scratch_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace platform
