#include "stream/CNxSSActiveComponent.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "WaveFiles.h"
#include "platform/Event.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

// Records the commands it runs. The first command it runs waits at a gate,
// so the test can queue more behind it.
class Recorder : public CNxSSActiveComponent {
  public:
    explicit Recorder(bool gated) : CNxSSActiveComponent(nullptr), gated_(gated) {
        StartThread(kPriorityNormal);
    }
    ~Recorder() override { StopThread(); }

    void Open() { gate_.set(); }
    void WaitForQueue(size_t length) {
        while (QueueLength() < length) {
            std::this_thread::yield();
        }
    }
    void WaitUntilBusy() { busy_.wait(); }
    std::vector<std::pair<uint32_t, int32_t>> Runs() {
        std::lock_guard lock(mutex_);
        return runs_;
    }
    int failures = 0;

  protected:
    uint32_t OnCommand(uint32_t code, int32_t param1, int32_t) override {
        if (gated_) {
            gated_ = false;
            busy_.set();
            gate_.wait();
        }
        {
            std::lock_guard lock(mutex_);
            runs_.emplace_back(code, param1);
        }
        if (code == 77) {
            throw CNxSSException(nxss::kInternal);
        }
        return code == kCmdSeek ? 1000u + param1 : 0u;
    }
    void OnCommandFailed() override { ++failures; }

  private:
    bool gated_;
    platform::Event gate_{platform::Event::Reset::Manual};
    platform::Event busy_{platform::Event::Reset::Manual};
    std::mutex mutex_;
    std::vector<std::pair<uint32_t, int32_t>> runs_;
};

using Runs = std::vector<std::pair<uint32_t, int32_t>>;

TEST(CNxSSActiveComponent, BurstOfOneCommandRunsOnceWithTheNewestParameters) {
    auto c = MakeNx<Recorder>(true);
    c->PostCommand(99, 0, 0, false);
    c->WaitUntilBusy();
    c->Seek(100);
    c->Pause();
    c->Seek(200);
    uint32_t waited = 0;
    std::thread waiter([&] { waited = c->SeekAndWait(250); });
    c->WaitForQueue(4);
    c->Seek(300);
    c->Open();
    waiter.join();
    EXPECT_EQ(waited, 1300u);  // its seek joined the burst: it gets the burst's result
    c->PostCommand(42, 0, 0, true);
    EXPECT_EQ(c->Runs(), (Runs{{99, 0},
                               {CNxSSActiveComponent::kCmdSeek, 300},
                               {CNxSSActiveComponent::kCmdPause, 0},
                               {42, 0}}));
}

TEST(CNxSSActiveComponent, ResultsGoToTheWindowsInOrderOfRegistration) {
    platform::MessageQueue first, second;
    auto c = MakeNx<Recorder>(false);
    c->Advise(&first, 0x401, 1);
    c->Advise(&second, 0x402, 2);
    c->PostCommand(CNxSSActiveComponent::kCmdSeek, 5, 0, false);
    const auto m1 = first.take(10000);
    const auto m2 = second.take(10000);
    ASSERT_TRUE(m1 && m2);
    EXPECT_EQ(std::make_tuple(m1->message, m1->wParam, m1->lParam, m2->message, m2->lParam),
              std::make_tuple(0x401u, 1005u, 1, 0x402u, 2));
}

// A failing command stops and reports its code, to a window if there is one;
// without a window a command still gives its result; a second thread is refused.
TEST(CNxSSActiveComponent, FailuresAndWindowlessCommands) {
    platform::MessageQueue window;
    auto c = MakeNx<Recorder>(false);
    c->Advise(&window, 0x401, 0);
    c->PostCommand(77, 0, 0, false);
    const auto m = window.take(10000);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->wParam, nxss::kInternal);
    EXPECT_EQ(c->failures, 1);
    auto quiet = MakeNx<Recorder>(false);
    EXPECT_EQ(quiet->SeekAndWait(1), 1001u);
    quiet->PostCommand(77, 0, 0, true);
    EXPECT_EQ(quiet->failures, 1);
    EXPECT_THROW(MakeNx<Recorder>(false)->StartThread(0), CNxSSException);
}

TEST(CNxSSActiveComponent, ShutdownDropsQueuedCommandsAndPostsNothing) {
    platform::MessageQueue window;
    auto c = MakeNx<Recorder>(true);
    c->Advise(&window, 0x401, 0);
    c->PostCommand(99, 0, 0, false);
    c->WaitUntilBusy();
    c->Seek(1);
    c->Pause();
    std::thread shutdown([&] { c->Shutdown(); });
    while (!c->IsStopping()) {
        std::this_thread::yield();
    }
    c->Open();
    shutdown.join();
    EXPECT_EQ(c->Runs(), (Runs{{99, 0}, {CNxSSActiveComponent::kCmdQuit, 0}}));
    EXPECT_EQ(window.size(), 0u);
    EXPECT_EQ(wavetest::ThrownCode([&] { c->Start(); }), nxss::kFail);  // no thread left
}

}  // namespace
