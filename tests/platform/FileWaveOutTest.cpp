#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "WaveTestSupport.h"
#include "platform/WaveOutDrivers.h"

using namespace platform;
using std::chrono::milliseconds;

namespace {

std::string u32(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

// The canonical 44-byte header of a 44.1 kHz 16-bit stereo file.
std::string cdHeader(uint32_t dataBytes) {
    return "RIFF" + u32(36 + dataBytes + dataBytes % 2) + "WAVEfmt " + u32(16) +
           std::string("\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00", 16) +
           "data" + u32(dataBytes);
}

std::string asString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class FileDeviceTest : public ::testing::Test {
  protected:
    std::unique_ptr<WaveOutDevice> open(const WaveFormat& format = kCdAudio) {
        std::unique_ptr<WaveOutDevice> device;
        EXPECT_EQ(driver->open(-1, format, done.callback(), device), kMmNoError);
        return device;
    }
    // Writes the blocks and waits until the device has played them all.
    void play(WaveOutDevice& device, std::vector<TestBlock*> blocks) {
        const int before = done.count();
        for (TestBlock* b : blocks) {
            ASSERT_EQ(device.write(b->header), kMmNoError);
        }
        ASSERT_TRUE(done.waitFor(before + static_cast<int>(blocks.size())));
    }

    TempDir dir;
    std::filesystem::path out = dir / "out.wav";
    std::shared_ptr<WaveOutDriver> driver = makeFileWaveOutDriver(out, WavePacing::Unpaced);
    DoneCounter done;
};

}  // namespace

TEST_F(FileDeviceTest, WritesExactlyThePlayedBytesUnderACompleteHeader) {
    auto device = open();
    TestBlock a(*device, rampFrames(1000)), b(*device, rampFrames(500, 1000));
    play(*device, {&a, &b});
    EXPECT_FALSE(std::filesystem::exists(out));  // appears complete or not at all
    device.reset();
    EXPECT_EQ(readText(out), cdHeader(6000) + asString(rampFrames(1500)));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"out.wav"});
}

TEST_F(FileDeviceTest, ScalesByTheVolumePerChannel) {
    auto device = open();
    ASSERT_EQ(device->setVolume(0x40008000), kMmNoError);                    // right 1/4, left 1/2
    TestBlock a(*device, {0xE8, 0x03, 0xE8, 0x03, 0x18, 0xFC, 0x18, 0xFC});  // 1000, -1000
    play(*device, {&a});
    device.reset();
    // 1000 * 0x8000 / 0xFFFF = 500, 1000 * 0x4000 / 0xFFFF = 250, truncated toward 0.
    EXPECT_EQ(readText(out), cdHeader(8) + std::string("\xF4\x01\xFA\x00\x0C\xFE\x06\xFF", 8));
}

TEST_F(FileDeviceTest, KeepsOnlyWhatWasHeardBeforeAReset) {
    auto clock = std::make_shared<ManualWaveClock>();
    driver = makeFileWaveOutDriver(out, WavePacing::RealTime, clock);
    auto device = open();
    TestBlock a(*device, rampFrames(4410)), b(*device, rampFrames(4410, 4410));
    ASSERT_EQ(device->write(a.header), kMmNoError);
    ASSERT_EQ(device->write(b.header), kMmNoError);
    clock->advance(milliseconds(125));  // all of a, a quarter of b
    ASSERT_TRUE(done.waitFor(1));
    ASSERT_EQ(device->reset(), kMmNoError);
    device.reset();
    EXPECT_EQ(readText(out), cdHeader(5512 * 4) + asString(rampFrames(5512)));
}

TEST_F(FileDeviceTest, LaterDevicesAppendAndEachCloseLeavesAValidFile) {
    {
        auto first = open();
        TestBlock a(*first, rampFrames(3));
        play(*first, {&a});
    }
    EXPECT_EQ(readText(out), cdHeader(12) + asString(rampFrames(3)));
    auto second = open();
    TestBlock b(*second, rampFrames(2, 3));
    play(*second, {&b});
    EXPECT_EQ(readText(out).substr(0, 44), cdHeader(12));  // sizes still match the old close
    second.reset();
    EXPECT_EQ(readText(out), cdHeader(20) + asString(rampFrames(5)));
}

TEST_F(FileDeviceTest, OddSizedDataIsPaddedAndANewFormatStartsANewFile) {
    {
        auto device = open();
        TestBlock a(*device, rampFrames(2));
        play(*device, {&a});
    }
    const WaveFormat mono8 = WaveFormat::pcm(1, 8000, 8);
    auto device = open(mono8);
    TestBlock a(*device, {0x80, 0x90, 0xA0});
    play(*device, {&a});
    device.reset();
    const std::string text = readText(out);
    ASSERT_EQ(text.size(), 44u + 4);
    EXPECT_EQ(text.substr(4, 4), u32(36 + 4));
    EXPECT_EQ(text.substr(40, 4), u32(3));
    EXPECT_EQ(text.substr(44), std::string("\x80\x90\xA0\x00", 4));
}

TEST_F(FileDeviceTest, OneDeviceAtATimeAndAMissingFolderFailsTheOpen) {
    auto device = open();
    std::unique_ptr<WaveOutDevice> second;
    EXPECT_EQ(driver->open(-1, kCdAudio, nullptr, second), kMmAllocated);
    device.reset();
    EXPECT_EQ(driver->open(-1, kCdAudio, nullptr, second), kMmNoError);
    second.reset();

    auto nowhere = makeFileWaveOutDriver(dir / "missing" / "out.wav", WavePacing::Unpaced);
    testing::internal::CaptureStderr();
    EXPECT_EQ(nowhere->open(-1, kCdAudio, nullptr, second), kMmError);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing"), std::string::npos);
}

TEST_F(FileDeviceTest, FloatDataGetsAFullFormatRecordAndAFactChunk) {
    WaveFormat f = WaveFormat::pcm(1, 48000, 32);
    f.setTag(kWaveFormatIeeeFloat);
    auto device = open(f);
    const float samples[] = {0.5f, -1.0f};
    std::vector<uint8_t> bytes(sizeof samples);
    std::memcpy(bytes.data(), samples, sizeof samples);
    ASSERT_EQ(device->setVolume(0x00007FFF), kMmNoError);
    TestBlock a(*device, bytes);
    play(*device, {&a});
    device.reset();
    const std::string text = readText(out);
    ASSERT_EQ(text.size(), 12u + 8 + 18 + 12 + 8 + 8);
    EXPECT_EQ(text.substr(12, 8), "fmt " + u32(18));
    EXPECT_EQ(text.substr(38, 12), "fact" + u32(4) + u32(2));
    float heard[2];
    std::memcpy(heard, text.data() + 58, sizeof heard);
    EXPECT_FLOAT_EQ(heard[0], 0.5f * 0x7FFF / 0xFFFF);
    EXPECT_FLOAT_EQ(heard[1], -1.0f * 0x7FFF / 0xFFFF);
}
