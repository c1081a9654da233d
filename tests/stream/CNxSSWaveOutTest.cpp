#include "stream/CNxSSWaveOut.h"

#include <gtest/gtest.h>

#include "FakeWaveOut.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"

namespace {

constexpr uint32_t kMessage = 0x401;
constexpr uint32_t kBlockBytes = 22050 * 4;  // half a second of 44.1 kHz stereo

// A renderer playing silence into the fake device, owned by a manager so
// that its packets come from there.
class WaveOutTest : public ::testing::Test {
  protected:
    void Build(int32_t silenceMs) {
        manager_ = MakeNx<CNxSSManager>(CNxSSComponentCatalog{}, driver_);
        source_ = MakeNx<CNxSSSilenceSource>(manager_.get(), silenceMs);
        renderer_ = MakeNx<CNxSSWaveOut>(manager_.get(), driver_, CNxSSWaveOut::Config{},
                                         [this](int ms) { sleeps_.push_back(ms); });
        ASSERT_EQ(manager_->Connect(source_.get(), renderer_.get()), 0u);
        renderer_->Advise(&window_, kMessage, 7);
    }

    void TearDown() override {
        if (renderer_) {
            renderer_->Shutdown();
            renderer_->SetParent(nullptr);
        }
        if (source_) {
            source_->SetParent(nullptr);
        }
    }

    uint32_t Next() {
        const auto m = window_.take(10000);
        if (!m) {
            return 0;
        }
        EXPECT_EQ(m->message, kMessage);
        EXPECT_EQ(m->lParam, 7);
        return static_cast<uint32_t>(m->wParam);
    }

    std::shared_ptr<FakeWaveOutDriver> driver_ = std::make_shared<FakeWaveOutDriver>();
    FakeWaveOutState& device_ = *driver_->state;
    NxRef<CNxSSManager> manager_;
    NxRef<CNxSSComponent> source_;
    NxRef<CNxSSWaveOut> renderer_;
    platform::MessageQueue window_;
    std::vector<int> sleeps_;
};

TEST_F(WaveOutTest, PlaysToTheEndAndReportsFinishedOnce) {
    Build(2000);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(renderer_->BlockCount(), 5u);
    ASSERT_TRUE(device_.waitForWrites(4));  // 2 s of silence fill four blocks
    EXPECT_EQ(renderer_->GetPosition(), 0);

    device_.playBlocks(1);
    EXPECT_EQ(renderer_->GetPosition(), 500);
    device_.playBlocks(3);
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kStopped);
    EXPECT_EQ(source_->GetPosition(), 0);  // rewound
    EXPECT_FALSE(device_.open);

    // Stale block-done commands after the end change nothing.
    renderer_->PostCommand(CNxSSActiveComponent::kCmdBlockDone, 0, 0, true);
    EXPECT_EQ(window_.size(), 0u);
    EXPECT_EQ(device_.writes, 4);
}

// A source whose reported position lags what it has delivered.
class LaggingSource : public CNxSSSilenceSource {
  public:
    using CNxSSSilenceSource::CNxSSSilenceSource;
    int32_t GetPosition() override { return 0; }
};

TEST_F(WaveOutTest, PositionNeverGoesNegative) {
    Build(2000);
    auto lagging = MakeNx<LaggingSource>(manager_.get(), 2000);
    renderer_->Shutdown();
    renderer_->SetParent(nullptr);
    renderer_ = MakeNx<CNxSSWaveOut>(manager_.get(), driver_, CNxSSWaveOut::Config{});
    renderer_->Advise(&window_, kMessage, 7);
    ASSERT_EQ(manager_->Connect(lagging.get(), renderer_.get()), 0u);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(renderer_->GetPosition(), 0);  // 0 ms read, 2000 ms queued
    renderer_->Shutdown();
    lagging->SetParent(nullptr);
}

TEST_F(WaveOutTest, PauseSeekAndStopFollowTheirTransitions) {
    Build(5000);
    renderer_->Seek(1000);  // stopped: only the source moves
    renderer_->PostCommand(CNxSSActiveComponent::kCmdIdle, 0, 0, true);
    EXPECT_EQ(source_->GetPosition(), 1000);

    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    renderer_->Pause();
    EXPECT_EQ(Next(), nxss::kPauseChanged);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kPaused);
    EXPECT_TRUE(device_.paused);

    renderer_->Seek(3000);  // a seek while paused resumes playing
    EXPECT_EQ(Next(), nxss::kPauseChanged);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kRunning);
    EXPECT_FALSE(device_.paused);
    EXPECT_EQ(renderer_->GetPosition(), 3000);

    EXPECT_EQ(renderer_->SeekAndWait(-50), 0u);  // while playing: clamped, nothing posted
    EXPECT_EQ(renderer_->GetPosition(), 0);
    renderer_->Stop();
    EXPECT_EQ(Next(), nxss::kStopped);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kStopped);
    EXPECT_EQ(source_->GetPosition(), 0);
    EXPECT_FALSE(device_.open);
}

TEST_F(WaveOutTest, StartWhilePlayingRestartsFromTheBeginning) {
    Build(5000);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    device_.playBlocks(2);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(renderer_->GetPosition(), 0);
    EXPECT_EQ(device_.openCalls, 2);
}

TEST_F(WaveOutTest, StartAtBeginsThereAndALaterStartAtTheBeginning) {
    Build(5000);
    renderer_->StartAt(3000);
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(renderer_->GetPosition(), 3000);
    EXPECT_EQ(device_.writes, 4);  // the last 2 s in half-second blocks, nothing before
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(renderer_->GetPosition(), 0);
}

// A busy device is tried six times a second apart, then reported; one that
// frees up in time is used; other failures are not retried.
TEST_F(WaveOutTest, BusyDevicesAreRetriedOtherFailuresAreNot) {
    device_.openResults.assign(6, platform::kMmAllocated);
    Build(1000);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kWaveOutBusy);
    EXPECT_EQ(device_.openCalls, 6);
    EXPECT_EQ(sleeps_, std::vector<int>(5, 1000));
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kStopped);

    device_.openResults = {platform::kMmAllocated, platform::kMmAllocated};
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(device_.openCalls, 9);
    renderer_->Stop();
    EXPECT_EQ(Next(), nxss::kStopped);

    device_.openResults = {platform::kWaveBadFormat};
    renderer_->Start();
    EXPECT_EQ(Next(), 0x83EE0020u);
    EXPECT_EQ(device_.openCalls, 10);
}

TEST_F(WaveOutTest, EmptySourceStartsAndFinishes) {
    Build(0);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kStopped);
}

TEST_F(WaveOutTest, VolumeWithoutDeviceControlIsOnlyStored) {
    device_.volumeControl = false;
    Build(1000);
    EXPECT_FALSE(renderer_->HasVolume());
    EXPECT_FALSE(renderer_->SetVolume(5000));
    EXPECT_EQ(renderer_->GetVolume(), 5000u);
}

TEST_F(WaveOutTest, VolumeGoesToTheOpenDeviceOnBothChannels) {
    Build(1000);
    EXPECT_TRUE(renderer_->HasVolume());
    EXPECT_EQ(renderer_->GetVolume(), 10000u);  // taken from the device at construction
    EXPECT_FALSE(renderer_->SetVolume(5000));   // not open yet: stored for the open
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(device_.volume, (32767u << 16) | 32767u);
    EXPECT_TRUE(renderer_->SetVolume(10000));
    EXPECT_EQ(device_.volume, 0xFFFFFFFFu);
    EXPECT_EQ(renderer_->GetVolume(), 10000u);
}

TEST_F(WaveOutTest, DisplayTapCopiesTheAudioBeingHeard) {
    Build(2000);
    std::vector<uint8_t> buffer(1024 * 4, 0xAA);
    EXPECT_FALSE(renderer_->CopyPlayingData(buffer.data(), 1024));  // not playing
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    ASSERT_TRUE(device_.waitForWrites(4));
    device_.playBlocks(1);
    EXPECT_TRUE(renderer_->CopyPlayingData(buffer.data(), 1024));
    EXPECT_EQ(buffer[0], 0);  // silence
    NxRef<CNxSSPacket> packet;
    uint32_t offset = 0;
    ASSERT_TRUE(renderer_->GetPlayingData(packet, offset, 1024));
    EXPECT_EQ(packet->StreamOffset(), kBlockBytes);
    EXPECT_EQ(offset, 0u);
    EXPECT_FALSE(renderer_->GetPlayingData(packet, offset, 22051));  // longer than a block
}

}  // namespace
