#pragma once

#include <poll.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/AlsaPcm.h"
#include "platform/UniqueFd.h"
#include "platform/WaveBlockQueue.h"
#include "platform/WaveOut.h"

namespace platform {

// A wave device on an open ALSA PCM. One thread feeds the PCM without
// blocking, waits in poll() for room or for a command, and hands blocks
// back once their last frame has been heard: played = frames written - the
// PCM's delay. Pausing drops what ALSA holds and sends it again on restart.
// Every PCM call is made under the device lock, never while waiting.
class AlsaWaveOutDevice final : public WaveOutDevice {
  public:
    // `wakeFd` is an eventfd that commands use to interrupt the thread's wait.
    AlsaWaveOutDevice(AlsaPcmHandle pcm, UniqueFd wakeFd, const WaveFormat& format,
                      WaveOutDriver::DoneCallback onDone,
                      std::shared_ptr<std::atomic<uint32_t>> volume);
    ~AlsaWaveOutDevice() override;

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
    void feed();
    bool sendChunk();
    uint64_t playedBytes();
    void dropPcm();
    int planWait();
    void waitForWork(std::unique_lock<std::mutex>& lock);
    void deliverCallbacks(std::unique_lock<std::mutex>& lock);
    void wake();

    AlsaPcmHandle pcm_;
    const WaveFormat format_;
    const WaveOutDriver::DoneCallback onDone_;
    const std::shared_ptr<std::atomic<uint32_t>> volume_;
    UniqueFd wakeFd_;

    std::mutex mutex_;
    WaveBlockQueue queue_;
    uint64_t sent_ = 0;  // stream bytes handed to ALSA since the last reset
    bool running_ = true;
    bool broken_ = false;  // the PCM failed; blocks then finish unheard
    bool quit_ = false;
    size_t pendingCallbacks_ = 0;
    std::vector<uint8_t> scratch_;
    std::vector<pollfd> pollFds_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace platform
