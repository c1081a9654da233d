#include "stream/CNxSSWaveOut.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "FakeWaveOut.h"
#include "TestWave.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"
#include "support/TempSettings.h"

namespace {

constexpr uint32_t kMessage = 0x401;
constexpr uint32_t kBlockBytes = 22050 * 4;  // half a second of 44.1 kHz stereo
constexpr int kPieceMs = static_cast<int>(CNxSSWaveOut::kPieceMs);
constexpr int kPiecesPerBlock = (500 + kPieceMs - 1) / kPieceMs;  // the last one shorter
constexpr int kAhead = static_cast<int>(CNxSSWaveOut::kPiecesAhead);

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
    ASSERT_TRUE(device_.waitForWrites(kAhead));  // 2 s of silence read ahead, a few pieces sent
    EXPECT_EQ(device_.writes, kAhead);
    EXPECT_EQ(renderer_->GetPosition(), 0);

    ASSERT_TRUE(device_.playBytes(kBlockBytes));
    ASSERT_TRUE(device_.waitForWrites(kPiecesPerBlock + kAhead));
    EXPECT_EQ(renderer_->GetPosition(), 500);
    ASSERT_TRUE(device_.playBytes(3 * kBlockBytes));
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_EQ(renderer_->GetState(), CNxSSComponent::kStopped);
    EXPECT_EQ(source_->GetPosition(), 0);  // rewound
    EXPECT_FALSE(device_.open);

    // Stale block-done commands after the end change nothing.
    renderer_->PostCommand(CNxSSActiveComponent::kCmdBlockDone, 0, 0, true);
    EXPECT_EQ(window_.size(), 0u);
    EXPECT_EQ(device_.writes, 4 * kPiecesPerBlock);
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
    ASSERT_TRUE(device_.waitForWrites(kAhead));
    ASSERT_TRUE(device_.playBytes(2 * kBlockBytes));
    EXPECT_EQ(renderer_->GetPosition(), 4000);  // the last 2 s, nothing before
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
    ASSERT_TRUE(device_.playBytes(kBlockBytes));
    ASSERT_TRUE(device_.waitForWrites(kPiecesPerBlock + kAhead));
    EXPECT_TRUE(renderer_->CopyPlayingData(buffer.data(), 1024));
    EXPECT_EQ(buffer[0], 0);  // silence
    NxRef<CNxSSPacket> packet;
    uint32_t offset = 0;
    ASSERT_TRUE(renderer_->GetPlayingData(packet, offset, 1024));
    EXPECT_EQ(packet->StreamOffset(), kBlockBytes);
    EXPECT_EQ(offset, 0u);
    EXPECT_FALSE(renderer_->GetPlayingData(packet, offset, 22051));  // longer than a block
}

// A 1 kHz tone of 16-bit stereo that knows its read position.
class ToneSource : public CNxSSComponent {
  public:
    static constexpr uint32_t kRate = 44100;

    ToneSource(CNxSSObject* parent, uint32_t frames) : CNxSSComponent(parent) {
        for (uint32_t i = 0; i < frames; ++i) {
            const auto s = static_cast<int16_t>(
                std::lround(3000 * std::sin(2 * std::numbers::pi * 1000 * i / kRate)));
            samples_.insert(samples_.end(), {s, s});
        }
    }
    const std::vector<int16_t>& Samples() const { return samples_; }

    bool GetFormat(platform::WaveFormat& format) override {
        format = platform::WaveFormat::pcm(2, kRate, 16);
        return true;
    }
    int32_t GetLength() override { return static_cast<int32_t>(Frames() * 1000 / kRate); }
    int32_t GetPosition() override { return static_cast<int32_t>(at_ * 1000 / kRate); }
    int32_t SetPosition(int32_t ms) override {
        at_ = std::min<size_t>(Frames(), size_t(ms) * kRate / 1000);
        return 0;
    }
    void Read(CNxSSPacket& packet) override {
        const size_t n = std::min<size_t>(packet.Capacity(), Frames() - at_);
        std::memcpy(packet.Data(), samples_.data() + at_ * 2, n * 4);
        packet.SetFrames(static_cast<uint32_t>(n));
        at_ += n;
    }

  private:
    size_t Frames() const { return samples_.size() / 2; }
    std::vector<int16_t> samples_;
    size_t at_ = 0;
};

// Through the real paced file device: the output is the input bit for bit
// while bypassed, and a change made while playing starts to be heard
// within 50 ms of what was being heard at the call.
TEST(WaveOutEqualizerTest, AChangeIsHeardWithinFiftyMilliseconds) {
    TempSettings settings;
    const auto out = TempSettings::folder() / "heard.wav";
    auto driver = platform::makeWaveOutDriver("file:" + out.string());
    platform::MessageQueue window;
    auto manager = MakeNx<CNxSSManager>(CNxSSComponentCatalog{}, driver);
    auto source = MakeNx<ToneSource>(manager.get(), ToneSource::kRate);
    auto renderer = MakeNx<CNxSSWaveOut>(manager.get(), driver, CNxSSWaveOut::Config{});
    ASSERT_EQ(manager->Connect(source.get(), renderer.get()), 0u);
    renderer->Advise(&window, kMessage, 0);
    renderer->SetEqualizer({});
    renderer->Start();
    ASSERT_EQ(window.take(10000)->wParam, nxss::kStarted);

    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int32_t heardMs = renderer->GetPosition();
    dsp::EqualizerSettings quieter;
    quieter.enabled = true;
    quieter.gainDb = -10;
    renderer->SetEqualizer(quieter);
    ASSERT_EQ(window.take(10000)->wParam, nxss::kFinished);
    renderer->Shutdown();
    renderer->SetParent(nullptr);
    source->SetParent(nullptr);

    const auto heard = acmtest::readWave(out).data;
    const auto& tone = source->Samples();
    ASSERT_EQ(heard.size(), tone.size() * 2);
    size_t firstChanged = 0;
    while (firstChanged < tone.size() &&
           std::memcmp(&heard[firstChanged * 2], &tone[firstChanged], 2) == 0) {
        ++firstChanged;
    }
    const double changedMs = 1000.0 * double(firstChanged / 2) / ToneSource::kRate;
    EXPECT_GE(changedMs, heardMs);
    EXPECT_LE(changedMs, heardMs + 50.0);
}

// Frames numbered from `first`: both channels carry the frame's number, so
// a join shows every frame exactly once.
class RampSource : public CNxSSComponent {
  public:
    RampSource(CNxSSObject* parent, int16_t first, uint32_t frames, uint16_t channels = 2)
        : CNxSSComponent(parent),
          format_(platform::WaveFormat::pcm(channels, 44100, 16)),
          first_(first),
          frames_(frames) {}
    bool GetFormat(platform::WaveFormat& format) override {
        format = format_;
        return true;
    }
    int32_t GetLength() override { return static_cast<int32_t>(frames_ * 1000ull / 44100); }
    int32_t GetPosition() override { return static_cast<int32_t>(at_ * 1000ull / 44100); }
    int32_t SetPosition(int32_t ms) override {
        const auto before = GetPosition();
        at_ = std::min<uint32_t>(frames_, static_cast<uint32_t>(ms * 44100ull / 1000));
        return before;
    }
    void Read(CNxSSPacket& packet) override {
        const uint32_t n = std::min(packet.Capacity(), frames_ - at_);
        auto* out = reinterpret_cast<int16_t*>(packet.Data());
        for (uint32_t i = 0; i < n * format_.channels(); ++i) {
            out[i] = static_cast<int16_t>(first_ + at_ + i / format_.channels());
        }
        at_ += n;
        packet.SetFrames(n);
    }

  private:
    const platform::WaveFormat format_;
    const int16_t first_;
    const uint32_t frames_;
    uint32_t at_ = 0;
};

std::vector<int16_t> LeftSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> left(bytes.size() / 4);
    for (size_t i = 0; i < left.size(); ++i) {
        std::memcpy(&left[i], &bytes[i * 4], 2);
    }
    return left;
}

// The renderer reads on from one source into the next without closing
// the device: every frame once, the second at its own gain, and the next
// source's position only once it is heard.
TEST_F(WaveOutTest, AFollowOnJoinsWithoutAGapAtItsOwnGain) {
    Build(0);
    auto first = MakeNx<RampSource>(manager_.get(), 0, 30001);
    auto second = MakeNx<RampSource>(manager_.get(), 10000, 20000);
    auto mono = MakeNx<RampSource>(manager_.get(), 0, 100, 1);
    renderer_->Shutdown();
    renderer_->SetParent(nullptr);
    renderer_ = MakeNx<CNxSSWaveOut>(manager_.get(), driver_, CNxSSWaveOut::Config{});
    renderer_->Advise(&window_, kMessage, 7);
    ASSERT_EQ(manager_->Connect(first.get(), renderer_.get()), 0u);
    EXPECT_FALSE(renderer_->Follow(second, 1.0f));  // nothing plays yet
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_FALSE(renderer_->Follow(mono, 1.0f));  // another format opens the device anew
    ASSERT_TRUE(renderer_->Follow(second, 0.5f));
    ASSERT_TRUE(device_.waitForWrites(kAhead));
    EXPECT_FALSE(renderer_->Unfollow());  // read ahead already: it is heard next

    ASSERT_TRUE(device_.playBytes(29000 * 4));
    EXPECT_EQ(renderer_->GetLength(), 680);  // still the first source's
    EXPECT_NEAR(renderer_->GetPosition(), 1000 * 29000 / 44100, kPieceMs + 1);
    ASSERT_TRUE(device_.playBytes(2000 * 4));
    EXPECT_EQ(Next(), nxss::kFollowed);
    EXPECT_EQ(renderer_->GetLength(), 453);
    ASSERT_TRUE(device_.playBytes(50001 * 4 - device_.played));
    EXPECT_EQ(Next(), nxss::kFinished);

    const std::vector<int16_t> left = LeftSamples(device_.heard);
    ASSERT_EQ(left.size(), 50001u);
    for (size_t i = 0; i < left.size(); ++i) {
        const double expected = i <= 30000 ? double(i) : (10000 + double(i) - 30001) / 2;
        ASSERT_NEAR(left[i], expected, 0.5) << "frame " << i;
    }
    renderer_->Shutdown();
    for (auto* source : {first.get(), second.get(), mono.get()}) {
        source->SetParent(nullptr);
    }
}

// A seek before the follow-on is heard belongs to the source heard: the
// input goes back to it, and the follow-on starts again from its beginning.
TEST_F(WaveOutTest, ASeekBeforeTheFollowOnIsHeardStaysInTheSourceBefore) {
    Build(0);
    auto first = MakeNx<RampSource>(manager_.get(), 0, 30000);
    auto second = MakeNx<RampSource>(manager_.get(), 20000, 4410);
    renderer_->Shutdown();
    renderer_->SetParent(nullptr);
    renderer_ = MakeNx<CNxSSWaveOut>(manager_.get(), driver_, CNxSSWaveOut::Config{});
    renderer_->Advise(&window_, kMessage, 7);
    ASSERT_EQ(manager_->Connect(first.get(), renderer_.get()), 0u);
    renderer_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    ASSERT_TRUE(renderer_->Follow(second, 1.0f));  // the first one was read to its end
    renderer_->PostCommand(CNxSSActiveComponent::kCmdIdle, 0, 0, true);
    EXPECT_EQ(second->GetPosition(), 100);  // and then this one

    EXPECT_EQ(renderer_->SeekAndWait(500), 0u);
    EXPECT_EQ(renderer_->GetLength(), 680);
    EXPECT_EQ(renderer_->GetPosition(), 500);
    device_.heard.clear();
    ASSERT_TRUE(device_.playBytes((30000 - 22050 + 4410) * 4));
    EXPECT_EQ(Next(), nxss::kFollowed);
    EXPECT_EQ(Next(), nxss::kFinished);
    const std::vector<int16_t> left = LeftSamples(device_.heard);
    ASSERT_EQ(left.size(), 30000u - 22050u + 4410u);
    EXPECT_EQ(left.front(), 22050);
    EXPECT_EQ(left[30000 - 22050 - 1], 29999);
    EXPECT_EQ(left[30000 - 22050], 20000);
    EXPECT_EQ(left.back(), 20000 + 4409);
    renderer_->Shutdown();
    first->SetParent(nullptr);
    second->SetParent(nullptr);
}

}  // namespace
