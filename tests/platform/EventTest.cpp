#include "platform/Event.h"

#include <gtest/gtest.h>

#include <thread>

using platform::Event;

TEST(Event, AutoResetLetsOneWaitThrough) {
    Event e(Event::Reset::Auto);
    EXPECT_FALSE(e.wait(0));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.wait(0));
}

TEST(Event, ManualResetStaysSetUntilReset) {
    Event e(Event::Reset::Manual, true);
    EXPECT_TRUE(e.wait(0));
    EXPECT_TRUE(e.wait(0));
    e.reset();
    EXPECT_FALSE(e.wait(0));
}

TEST(Event, WakesAWaiterOnAnotherThread) {
    Event e(Event::Reset::Auto);
    std::thread t([&] { e.set(); });
    EXPECT_TRUE(e.wait(Event::kInfinite));
    t.join();
}
