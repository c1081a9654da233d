#include "platform/Event.h"

#include <gtest/gtest.h>

#include <thread>

using platform::Event;

TEST(Event, AutoResetLetsOneWaitThroughManualStaysSet) {
    Event e(Event::Reset::Auto);
    EXPECT_FALSE(e.wait(0));
    e.set();
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.wait(0));
    Event manual(Event::Reset::Manual, true);
    EXPECT_TRUE(manual.wait(0));
    EXPECT_TRUE(manual.wait(0));
    manual.reset();
    EXPECT_FALSE(manual.wait(0));
}

TEST(Event, WakesAWaiterOnAnotherThread) {
    Event e(Event::Reset::Auto);
    std::thread t([&] { e.set(); });
    EXPECT_TRUE(e.wait(Event::kInfinite));
    t.join();
}
