#pragma once

#include <chrono>
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
    uint32_t played = 0;         // bytes
    std::vector<uint8_t> heard;  // every byte played, in order
    uint32_t volume = 0xFFFFFFFF;
    int writes = 0;
    std::deque<platform::WaveHeader*> queued;
    platform::WaveOutDriver::DoneCallback onDone;

    // Plays the oldest `count` queued blocks to their end.
    void playBlocks(int count) {
        std::lock_guard lock(mutex);
        for (int i = 0; i < count && !queued.empty(); ++i) {
            hear();
        }
    }
    // Plays queued blocks, waiting for the renderer to write more, until
    // `bytes` more bytes have been heard; false when it stops writing.
    bool playBytes(uint32_t bytes) {
        std::unique_lock lock(mutex);
        for (const uint32_t goal = played + bytes; played < goal;) {
            if (!changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return !queued.empty(); })) {
                return false;
            }
            hear();
        }
        return true;
    }
    // Plays the oldest queued block; the caller holds the lock.
    void hear() {
        const platform::WaveHeader& block = *queued.front();
        heard.insert(heard.end(), block.data, block.data + block.bufferLength);
        played += block.bufferLength;
        returnOldest();
    }
    // Hands the oldest queued block back as done; the caller holds the lock.
    void returnOldest() {
        platform::WaveHeader* block = queued.front();
        queued.pop_front();
        block->flags =
            (block->flags & ~platform::WaveHeader::kInQueue) | platform::WaveHeader::kDone;
        onDone();
    }
    // Waits until `count` blocks have been written in all.
    bool waitForWrites(int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return writes >= count; });
    }
};

class FakeWaveOutDevice : public platform::WaveOutDevice {
  public:
    explicit FakeWaveOutDevice(std::shared_ptr<FakeWaveOutState> state)
        : state_(std::move(state)) {}
    ~FakeWaveOutDevice() override {
        locked([&] { state_->open = false; });
    }

    platform::MmResult prepareHeader(platform::WaveHeader& block) override {
        block.flags |= platform::WaveHeader::kPrepared;
        return platform::kMmNoError;
    }
    platform::MmResult unprepareHeader(platform::WaveHeader& block) override {
        block.flags &= ~platform::WaveHeader::kPrepared;
        return platform::kMmNoError;
    }
    platform::MmResult write(platform::WaveHeader& block) override {
        return locked([&] {
            block.flags =
                (block.flags & ~platform::WaveHeader::kDone) | platform::WaveHeader::kInQueue;
            state_->queued.push_back(&block);
            ++state_->writes;
            state_->changed.notify_all();
        });
    }
    platform::MmResult pause() override {
        return locked([&] { state_->paused = true; });
    }
    platform::MmResult restart() override {
        return locked([&] { state_->paused = false; });
    }
    platform::MmResult reset() override {
        return locked([&] {
            while (!state_->queued.empty()) {
                state_->returnOldest();
            }
            state_->played = 0;
        });
    }
    platform::MmResult getPosition(uint32_t& bytes) override {
        return locked([&] { bytes = state_->played; });
    }
    platform::MmResult setVolume(uint32_t leftRight) override {
        return locked([&] { state_->volume = leftRight; });
    }
    platform::MmResult getVolume(uint32_t& leftRight) override {
        return locked([&] { leftRight = state_->volume; });
    }

  private:
    template <class Action>
    platform::MmResult locked(Action&& action) {
        std::lock_guard lock(state_->mutex);
        action();
        return platform::kMmNoError;
    }

    std::shared_ptr<FakeWaveOutState> state_;
};

class FakeWaveOutDriver : public platform::WaveOutDriver {
  public:
    platform::MmResult getDevCaps(int, platform::WaveOutCaps& caps) override {
        std::lock_guard lock(state->mutex);
        caps.name = "fake";
        caps.volume = caps.lrVolume = state->volumeControl;
        return platform::kMmNoError;
    }
    platform::MmResult getVolume(int, uint32_t& leftRight) override {
        std::lock_guard lock(state->mutex);
        leftRight = state->volume;
        return platform::kMmNoError;
    }
    platform::MmResult open(int, const platform::WaveFormat&, DoneCallback onDone,
                            std::unique_ptr<platform::WaveOutDevice>& device) override {
        std::lock_guard lock(state->mutex);
        ++state->openCalls;
        if (!state->openResults.empty()) {
            const platform::MmResult result = state->openResults.front();
            state->openResults.pop_front();
            if (result != platform::kMmNoError) {
                return result;
            }
        }
        state->onDone = std::move(onDone);
        state->open = true;
        state->played = 0;
        device = std::make_unique<FakeWaveOutDevice>(state);
        return platform::kMmNoError;
    }

    std::shared_ptr<FakeWaveOutState> state = std::make_shared<FakeWaveOutState>();
};
