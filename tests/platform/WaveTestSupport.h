#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/WaveOut.h"

// CD audio, the format most device tests play.
inline const platform::WaveFormat kCdAudio = platform::WaveFormat::pcm(2, 44100, 16);

// Counts done callbacks and lets a test wait for a number of them. The wait
// bound only keeps a broken device from hanging the suite.
class DoneCounter {
  public:
    platform::WaveOutDriver::DoneCallback callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    bool waitFor(int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ >= n; });
    }
    int count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

// A block with its own bytes, prepared on `device`.
struct TestBlock {
    std::vector<uint8_t> bytes;
    platform::WaveHeader header;

    TestBlock(platform::WaveOutDevice& device, std::vector<uint8_t> content)
        : bytes(std::move(content)) {
        header.data = bytes.data();
        header.bufferLength = static_cast<uint32_t>(bytes.size());
        device.prepareHeader(header);
    }
};

// 16-bit stereo frames counting up from `first`, so any byte shows where it
// came from.
inline std::vector<uint8_t> rampFrames(size_t frames, int first = 0) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<uint16_t>(first + static_cast<int>(i));
        for (int ch = 0; ch < 2; ++ch) {
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    return out;
}
