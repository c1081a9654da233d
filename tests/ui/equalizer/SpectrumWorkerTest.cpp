#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/equalizer/FakeEqualizerPlayer.h"
#include "ui/equalizer/SpectrumWorker.h"

namespace ui {
namespace {

using namespace std::chrono_literals;
using Segment = dsp::SpectrumMeter::Segment;

constexpr size_t kBands = 16;

// What the worker has handed over so far, as the UI thread would see it.
class Drawings {
  public:
    SpectrumWorker::Publish sink() {
        return [this](SpectrumMeterStates states, std::vector<size_t> changed) {
            std::lock_guard lock(mutex_);
            EXPECT_FALSE(changed.empty());  // nothing is handed without a change
            for (const size_t at : changed) {
                EXPECT_NE(states[at], last_.empty() ? Segment::kOff : last_[at]);
            }
            last_ = std::move(states);
            if (first_.empty()) {
                first_ = last_;
            }
            ++count_;
            changed_.notify_all();
        };
    }
    // Waits until the last drawing shows `wanted`; false after two seconds.
    template <class Wanted>
    bool waitFor(Wanted wanted) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 2s, [&] { return !last_.empty() && wanted(last_); });
    }
    size_t count() {
        std::lock_guard lock(mutex_);
        return count_;
    }
    SpectrumMeterStates first() {
        std::lock_guard lock(mutex_);
        return first_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    SpectrumMeterStates first_, last_;
    size_t count_ = 0;
};

int shown(const SpectrumMeterStates& states, size_t band) {
    return static_cast<int>(std::count_if(
        states.begin() + static_cast<std::ptrdiff_t>(band * dsp::SpectrumMeter::kSegments),
        states.begin() + static_cast<std::ptrdiff_t>((band + 1) * dsp::SpectrumMeter::kSegments),
        [](Segment s) { return s != Segment::kOff; }));
}

bool allOff(const SpectrumMeterStates& states) {
    return std::all_of(states.begin(), states.end(), [](Segment s) { return s == Segment::kOff; });
}

TEST(SpectrumWorker, BarsRiseWithTheToneFallAfterStopAndRiseAgainOnResume) {
    FakeEqualizerPlayer::Calls calls;
    FakeEqualizerPlayer player(calls);
    Drawings drawings;
    player.setPlaying(true);
    SpectrumWorker worker(player, kBands, drawings.sink(), 2ms);
    worker.SetActive(true);

    ASSERT_TRUE(drawings.waitFor([](const auto&) { return true; }));
    const SpectrumMeterStates first = drawings.first();
    ASSERT_EQ(first.size(), kBands * dsp::SpectrumMeter::kSegments);
    EXPECT_EQ(shown(first, FakeEqualizerPlayer::kToneBand), 10);  // a full-scale tone
    EXPECT_LT(shown(first, 0), 10);
    EXPECT_LT(shown(first, kBands - 1), 10);

    player.setPlaying(false);
    ASSERT_TRUE(drawings.waitFor(allOff));
    // Down for good: nothing more is handed over while nothing plays.
    const size_t settled = drawings.count();
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(drawings.count(), settled);

    player.setPlaying(true);
    EXPECT_TRUE(drawings.waitFor(
        [](const auto& states) { return shown(states, FakeEqualizerPlayer::kToneBand) == 10; }));
}

TEST(SpectrumWorker, UntilActiveItHandsNothingOver) {
    FakeEqualizerPlayer::Calls calls;
    FakeEqualizerPlayer player(calls);
    Drawings drawings;
    SpectrumWorker worker(player, kBands, drawings.sink(), 2ms);
    player.setPlaying(true);
    std::this_thread::sleep_for(40ms);
    EXPECT_EQ(drawings.count(), 0u);
    worker.SetActive(true);
    EXPECT_TRUE(drawings.waitFor(
        [](const auto& states) { return shown(states, FakeEqualizerPlayer::kToneBand) == 10; }));
}

}  // namespace
}  // namespace ui
