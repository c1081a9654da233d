#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/WaveOut.h"

// A scripted output device: the test decides when blocks are played.
struct FakeWaveOutState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<platform::MmResult> openResults;  // then kMmNoError
    bool volumeControl = true;
    int openCalls = 0;
    bool open = false;
    bool paused = false;
    uint32_t played = 0;  // bytes
    uint32_t volume = 0xFFFFFFFF;
    int writes = 0;
    std::deque<platform::WaveHeader*> queued;
    platform::WaveOutDriver::DoneCallback onDone;

    // Plays the oldest `count` queued blocks to their end.
    void playBlocks(int count);
    // Waits until `count` blocks have been written in all.
    bool waitForWrites(int count);
};

class FakeWaveOutDevice : public platform::WaveOutDevice {
  public:
    explicit FakeWaveOutDevice(std::shared_ptr<FakeWaveOutState> state);
    ~FakeWaveOutDevice() override;
    platform::MmResult prepareHeader(platform::WaveHeader& block) override;
    platform::MmResult unprepareHeader(platform::WaveHeader& block) override;
    platform::MmResult write(platform::WaveHeader& block) override;
    platform::MmResult pause() override;
    platform::MmResult restart() override;
    platform::MmResult reset() override;
    platform::MmResult getPosition(uint32_t& bytes) override;
    platform::MmResult setVolume(uint32_t leftRight) override;
    platform::MmResult getVolume(uint32_t& leftRight) override;

  private:
    std::shared_ptr<FakeWaveOutState> state_;
};

class FakeWaveOutDriver : public platform::WaveOutDriver {
  public:
    FakeWaveOutDriver() : state(std::make_shared<FakeWaveOutState>()) {}
    platform::MmResult getDevCaps(int deviceId, platform::WaveOutCaps& caps) override;
    platform::MmResult getVolume(int deviceId, uint32_t& leftRight) override;
    platform::MmResult open(int deviceId, const platform::WaveFormat& format, DoneCallback onDone,
                            std::unique_ptr<platform::WaveOutDevice>& device) override;

    std::shared_ptr<FakeWaveOutState> state;
};
