#include "platform/PlaybackTimeline.h"

#include <gtest/gtest.h>

using platform::PlaybackTimeline;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

namespace {
constexpr uint32_t kRate = 44100, kAlign = 4;
constexpr uint64_t kSecond = uint64_t{kRate} * kAlign;
}  // namespace

TEST(PlaybackTimeline, AdvancesFrameByFrameUpToWhatIsQueued) {
    PlaybackTimeline t(kRate, kAlign, true);
    t.append(milliseconds(1000), kSecond);
    EXPECT_EQ(t.played(milliseconds(1000)), 0u);
    EXPECT_EQ(t.played(milliseconds(1500)), kSecond / 2);
    EXPECT_EQ(t.played(milliseconds(1000) + nanoseconds(22'675)), 0u);  // < 1 frame
    EXPECT_EQ(t.played(milliseconds(1000) + nanoseconds(22'676)), kAlign);
    EXPECT_EQ(t.played(milliseconds(9000)), kSecond);
}

TEST(PlaybackTimeline, DeadlineIsTheFirstInstantTheBytesArePlayed) {
    PlaybackTimeline t(kRate, kAlign, true);
    t.append(nanoseconds(0), kSecond);
    for (const uint64_t bytes : {uint64_t{4}, uint64_t{4 * 441}, uint64_t{4 * 12345}, kSecond}) {
        const auto when = t.timeWhenPlayed(bytes);
        EXPECT_GE(t.played(when), bytes);
        EXPECT_LT(t.played(when - nanoseconds(1)), bytes);
    }
}

TEST(PlaybackTimeline, AnUnderrunRestartsTheClockWhenMoreArrives) {
    PlaybackTimeline t(kRate, kAlign, true);
    t.append(milliseconds(0), kSecond / 10);
    EXPECT_EQ(t.played(milliseconds(500)), kSecond / 10);  // ran dry at 100 ms
    t.append(milliseconds(500), kSecond / 10);
    EXPECT_EQ(t.played(milliseconds(550)), kSecond / 10 + kSecond / 20);
    // Appending while still playing does not move the cursor.
    t.append(milliseconds(550), kSecond);
    EXPECT_EQ(t.played(milliseconds(600)), kSecond / 5);
}

TEST(PlaybackTimeline, PauseHoldsThePositionAndResetKeepsThePause) {
    PlaybackTimeline t(kRate, kAlign, true);
    t.append(milliseconds(0), kSecond);
    t.pause(milliseconds(250));
    EXPECT_EQ(t.played(milliseconds(5000)), kSecond / 4);
    t.restart(milliseconds(5000));
    EXPECT_EQ(t.played(milliseconds(5250)), kSecond / 2);
    t.pause(milliseconds(5250));
    t.reset(milliseconds(6000));
    EXPECT_EQ(t.played(milliseconds(6000)), 0u);
    EXPECT_FALSE(t.running());
    t.append(milliseconds(6000), kSecond);
    EXPECT_EQ(t.played(milliseconds(7000)), 0u);
}

TEST(PlaybackTimeline, StaysExactOverHoursAtHighRates) {
    PlaybackTimeline t(192000, 8, true);
    const uint64_t hours = uint64_t{192000} * 8 * 3600 * 10;
    t.append(nanoseconds(0), hours);
    EXPECT_EQ(t.played(std::chrono::hours(10)), hours);
    EXPECT_EQ(t.played(std::chrono::hours(5)), hours / 2);
}

TEST(PlaybackTimeline, UnpacedPlaysEverythingAtOnceUnlessPaused) {
    PlaybackTimeline t(kRate, kAlign, false);
    t.append(milliseconds(0), kSecond);
    EXPECT_EQ(t.played(milliseconds(0)), kSecond);
    t.pause(milliseconds(0));
    t.append(milliseconds(0), kSecond);
    EXPECT_EQ(t.played(milliseconds(0)), kSecond);
    t.restart(milliseconds(0));
    EXPECT_EQ(t.played(milliseconds(0)), 2 * kSecond);
}
