#include "stream/CNxSSPcmConverter.h"

#include <gtest/gtest.h>

#include <cmath>

#include "TestWave.h"
#include "WaveFiles.h"
#include "stream/wave/CNxSSWaveReader.h"
#include "support/TempDir.h"

namespace {

using namespace wavetest;
using platform::WaveFormat;

const WaveFormat kCd = WaveFormat::pcm(2, 44100, 16);

class PcmConverterTest : public ::testing::Test {
  protected:
    // A converter behind a reader of `frames` of a CD-format sweep.
    void Build(uint32_t frames) {
        const auto sweep = acmtest::sweep(44100, 2, frames / 44100.0, 0.7);
        const auto bytes = acmtest::toBytes(sweep);
        source_.assign(bytes.begin(), bytes.begin() + size_t{frames} * 4);
        writeText(dir_ / "in.wav", WaveImage(kCd, std::string(source_.begin(), source_.end())));
        auto file = MakeNx<CNxSSRiffFile>(nullptr, (dir_ / "in.wav").string());
        file->Open(CNxSSRiffFile::kRead);
        reader_ = MakeNx<CNxSSWaveReader>(nullptr);
        reader_->Open(file);
        converter_ = MakeNx<CNxSSPcmConverter>(nullptr);
        reader_->CreateOutputPin()->Connect(converter_->CreateInputPin().get());
    }

    testsupport::TempDir dir_;
    std::vector<uint8_t> source_;
    NxRef<CNxSSWaveReader> reader_;
    NxRef<CNxSSPcmConverter> converter_;
};

TEST_F(PcmConverterTest, WithoutOrWithAnEqualTargetItIsTransparent) {
    Build(30000);
    converter_->SetState(CNxSSComponent::kRunning);
    EXPECT_EQ(ReadAll(*converter_, 1000), source_);

    converter_->SetState(CNxSSComponent::kStopped);
    converter_->SetPosition(0);
    converter_->SetTargetFormat(2, 44100, 16);
    converter_->SetState(CNxSSComponent::kRunning);
    WaveFormat format;
    ASSERT_TRUE(converter_->GetFormat(format));
    EXPECT_EQ(format, kCd);
    ReadAll(*converter_, 1000).swap(source_);
    EXPECT_EQ(converter_->GetPosition(), reader_->GetPosition());
    EXPECT_EQ(source_.size(), 30000u * 4);
}

TEST_F(PcmConverterTest, TheCodecsTailIsDeliveredBeforeTheEnd) {
    Build(10007);
    converter_->SetTargetFormat(2, 48000, 24);
    converter_->SetState(CNxSSComponent::kRunning);
    const size_t frames = ReadAll(*converter_, 777).size() / 6;
    EXPECT_EQ(frames, static_cast<size_t>(std::lround(10007 * 48000.0 / 44100)));
}

TEST_F(PcmConverterTest, PositionLeavesOutHeldAudioAndSeeksStartAfresh) {
    Build(44100 * 4);
    converter_->SetTargetFormat(1, 8000, 8);
    converter_->SetState(CNxSSComponent::kRunning);
    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(WaveFormat::pcm(1, 8000, 8), 800);  // 100 ms
    converter_->Read(*packet);
    ASSERT_EQ(packet->Frames(), 800u);
    // The reader is a whole converter packet ahead; the converter is only
    // behind by the resampler's own delay.
    EXPECT_GT(reader_->GetPosition(), 1000);
    EXPECT_GE(converter_->GetPosition(), 100);
    EXPECT_LT(converter_->GetPosition(), 120);

    const auto first = std::vector<uint8_t>(packet->Data(), packet->Data() + packet->Bytes());
    converter_->SetPosition(0);
    converter_->Read(*packet);
    EXPECT_EQ(std::vector<uint8_t>(packet->Data(), packet->Data() + packet->Bytes()), first);
}

TEST_F(PcmConverterTest, StoppingClosesTheConversion) {
    Build(4410);
    converter_->SetTargetFormat(1, 11025, 16);
    converter_->SetState(CNxSSComponent::kRunning);
    converter_->SetState(CNxSSComponent::kStopped);
    // Closed: reads pass straight through while the target is still reported.
    converter_->SetPosition(0);
    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(kCd, 4410);
    converter_->Read(*packet);
    EXPECT_EQ(packet->Frames(), 4410u);
}

}  // namespace
