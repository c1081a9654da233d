#include <gtest/gtest.h>

#include <thread>

#include "TempDir.h"
#include "WaveTestSupport.h"
#include "platform/WaveOutDrivers.h"

using namespace platform;
using std::chrono::milliseconds;

namespace {

// Bytes of n milliseconds (n a multiple of 10, so whole frames).
constexpr uint32_t msBytes(int n) {
    return static_cast<uint32_t>(n) * 441 / 10 * 4;
}

class NullDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        driver = makeNullWaveOutDriver(clock);
        ASSERT_EQ(driver->open(-1, kCdAudio, done.callback(), device), kMmNoError);
    }
    uint32_t position() {
        uint32_t bytes = 0;
        EXPECT_EQ(device->getPosition(bytes), kMmNoError);
        return bytes;
    }
    std::vector<uint8_t> ms(int n) { return rampFrames(static_cast<size_t>(n) * 441 / 10); }

    std::shared_ptr<ManualWaveClock> clock = std::make_shared<ManualWaveClock>();
    std::shared_ptr<WaveOutDriver> driver;
    DoneCounter done;
    std::unique_ptr<WaveOutDevice> device;
};

}  // namespace

TEST_F(NullDeviceTest, BlocksFinishInOrderWhenTheirLastByteHasPlayed) {
    TestBlock a(*device, ms(100)), b(*device, ms(200)), c(*device, ms(100));
    for (TestBlock* blk : {&a, &b, &c}) {
        ASSERT_EQ(device->write(blk->header), kMmNoError);
        EXPECT_FALSE(blk->header.done());
    }
    clock->advance(milliseconds(150));
    ASSERT_TRUE(done.waitFor(1));
    EXPECT_TRUE(a.header.done());
    EXPECT_FALSE(b.header.done());
    EXPECT_EQ(position(), msBytes(150));

    clock->advance(milliseconds(150));
    ASSERT_TRUE(done.waitFor(2));
    EXPECT_TRUE(b.header.done());
    EXPECT_FALSE(c.header.done());
    clock->advance(milliseconds(500));
    ASSERT_TRUE(done.waitFor(3));
    EXPECT_TRUE(c.header.done());
    EXPECT_EQ(position(), msBytes(400));  // stops at the end of the data
    EXPECT_EQ(done.count(), 3);
}

// A writer keeping three blocks queued replaces the ones handed back only
// after the device planned its next wake: that wake still comes when just
// one block is left, so each one hands back two blocks, not one.
TEST_F(NullDeviceTest, BlocksGoBackInBatchesWhileTheWriterTopsUp) {
    const auto plansWakeAt = [&](int at) {
        for (int i = 0; i < 300 && clock->deadline() != milliseconds(at); ++i) {
            std::this_thread::sleep_for(milliseconds(10));
        }
        return clock->deadline() == milliseconds(at);
    };
    TestBlock a(*device, ms(20)), b(*device, ms(20)), c(*device, ms(20)), d(*device, ms(20)),
        e(*device, ms(20));
    for (TestBlock* blk : {&a, &b, &c}) {
        ASSERT_EQ(device->write(blk->header), kMmNoError);
    }
    clock->advance(milliseconds(20));
    ASSERT_TRUE(done.waitFor(1));
    EXPECT_TRUE(plansWakeAt(60));  // not 40, when b ends: d will come behind c
    ASSERT_EQ(device->write(d.header), kMmNoError);
    clock->advance(milliseconds(40));
    ASSERT_TRUE(done.waitFor(3));
    EXPECT_TRUE(b.header.done() && c.header.done());
    EXPECT_TRUE(plansWakeAt(100));  // two blocks to replace behind d
    ASSERT_EQ(device->write(e.header), kMmNoError);
    // The writer stops after one: its last block comes back all the same.
    clock->advance(milliseconds(40));
    ASSERT_TRUE(done.waitFor(5));
    EXPECT_EQ(position(), msBytes(100));
}

TEST_F(NullDeviceTest, PauseFreezesThePositionAndTheBlocks) {
    TestBlock a(*device, ms(100));
    ASSERT_EQ(device->write(a.header), kMmNoError);
    clock->advance(milliseconds(40));
    ASSERT_EQ(device->pause(), kMmNoError);
    clock->advance(milliseconds(1000));
    EXPECT_EQ(position(), msBytes(40));
    EXPECT_FALSE(a.header.done());
    ASSERT_EQ(device->restart(), kMmNoError);
    clock->advance(milliseconds(50));
    EXPECT_EQ(position(), msBytes(90));
    EXPECT_FALSE(a.header.done());
    clock->advance(milliseconds(10));
    ASSERT_TRUE(done.waitFor(1));
    EXPECT_TRUE(a.header.done());
}

TEST_F(NullDeviceTest, AnOpenedPausedDeviceStartsFromItsRestart) {
    ASSERT_EQ(device->pause(), kMmNoError);
    TestBlock a(*device, ms(100));
    ASSERT_EQ(device->write(a.header), kMmNoError);
    clock->advance(milliseconds(500));
    EXPECT_EQ(position(), 0u);
    ASSERT_EQ(device->restart(), kMmNoError);
    clock->advance(milliseconds(100));
    ASSERT_TRUE(done.waitFor(1));
    EXPECT_EQ(position(), msBytes(100));
}

TEST_F(NullDeviceTest, ResetReturnsEveryBlockAndRewindsThePosition) {
    TestBlock a(*device, ms(100)), b(*device, ms(100)), c(*device, ms(100));
    for (TestBlock* blk : {&a, &b, &c}) {
        ASSERT_EQ(device->write(blk->header), kMmNoError);
    }
    clock->advance(milliseconds(50));
    ASSERT_EQ(device->reset(), kMmNoError);
    // Done on return, before any callback has to arrive.
    EXPECT_TRUE(a.header.done() && b.header.done() && c.header.done());
    EXPECT_EQ(position(), 0u);
    EXPECT_EQ(device->unprepareHeader(a.header), kMmNoError);
    ASSERT_TRUE(done.waitFor(3));
    EXPECT_EQ(done.count(), 3);
    // The device plays on after a reset.
    ASSERT_EQ(device->write(b.header), kMmNoError);
    clock->advance(milliseconds(30));
    EXPECT_EQ(position(), msBytes(30));
}

TEST_F(NullDeviceTest, RefusesBlocksItCannotTake) {
    TestBlock a(*device, ms(10));
    WaveHeader unprepared;
    unprepared.data = a.bytes.data();
    unprepared.bufferLength = 8;
    EXPECT_EQ(device->write(unprepared), kWaveUnprepared);
    ASSERT_EQ(device->write(a.header), kMmNoError);
    EXPECT_EQ(device->write(a.header), kWaveStillPlaying);
    EXPECT_EQ(device->unprepareHeader(a.header), kWaveStillPlaying);
    TestBlock odd(*device, std::vector<uint8_t>(6));  // a frame and a half
    EXPECT_EQ(device->write(odd.header), kMmInvalidParam);
}

TEST_F(NullDeviceTest, DestroyingTheDeviceHandsBackWhatItHeld) {
    TestBlock a(*device, ms(100));
    ASSERT_EQ(device->write(a.header), kMmNoError);
    device.reset();
    EXPECT_TRUE(a.header.done());
    EXPECT_EQ(done.count(), 1);
}

TEST_F(NullDeviceTest, VolumeIsKeptByTheDriverAcrossDevices) {
    uint32_t v = 0;
    ASSERT_EQ(driver->getVolume(-1, v), kMmNoError);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_EQ(device->setVolume(0x40008000), kMmNoError);
    device.reset();
    ASSERT_EQ(driver->open(-1, kCdAudio, nullptr, device), kMmNoError);
    ASSERT_EQ(device->getVolume(v), kMmNoError);
    EXPECT_EQ(v, 0x40008000u);
    WaveOutCaps caps;
    ASSERT_EQ(driver->getDevCaps(-1, caps), kMmNoError);
    EXPECT_TRUE(caps.volume && caps.lrVolume);
}

TEST(PacedDriver, RejectsFormatsItCannotPlay) {
    const auto driver = makeNullWaveOutDriver();
    std::unique_ptr<WaveOutDevice> device;
    auto adpcm = WaveFormat::pcm(1, 22050, 4);
    adpcm.setTag(0x11);
    EXPECT_EQ(driver->open(-1, adpcm, nullptr, device), kWaveBadFormat);
    EXPECT_EQ(driver->open(-1, WaveFormat::pcm(2, 0, 16), nullptr, device), kWaveBadFormat);
    EXPECT_EQ(driver->open(-1, WaveFormat::pcm(0, 44100, 16), nullptr, device), kWaveBadFormat);
    EXPECT_EQ(device, nullptr);
}
