#include "platform/WaveOut.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "WaveTestSupport.h"
#include "platform/AlsaPcm.h"
#include "platform/WaveOutDrivers.h"

using namespace platform;

namespace {

std::string capsName(WaveOutDriver& driver) {
    WaveOutCaps caps;
    EXPECT_EQ(driver.getDevCaps(-1, caps), kMmNoError);
    return caps.name;
}

bool machineHasSoundCards() {
    return std::ifstream("/proc/asound/cards").good();
}

}  // namespace

TEST(WaveOutSelection, NamesTheBackEnds) {
    EXPECT_EQ(capsName(*makeWaveOutDriver("null")), "null");
    EXPECT_EQ(capsName(*makeWaveOutDriver("file:/tmp/x y.wav")), "file:/tmp/x y.wav");
    EXPECT_EQ(capsName(*makeWaveOutDriver("alsa")), "default");
    EXPECT_EQ(capsName(*makeWaveOutDriver("alsa:hw:1,0")), "hw:1,0");
    EXPECT_EQ(capsName(*makeWaveOutDriver("alsa:2")), "plughw:2");
    for (const char* bad : {"", "file:", "alsa:", "pulse", "NULL", "null "}) {
        EXPECT_EQ(makeWaveOutDriver(bad), nullptr) << bad;
    }
}

TEST(WaveOutSelection, CurrentComesFromTheEnvironmentUntilSet) {
    ::setenv("MELODUX_AUDIO", "null", 1);
    WaveOutDriver::setCurrent(nullptr);
    EXPECT_EQ(capsName(*WaveOutDriver::current()), "null");
    const auto mine = makeWaveOutDriver("file:/tmp/melodux-unused.wav");
    WaveOutDriver::setCurrent(mine);
    EXPECT_EQ(WaveOutDriver::current(), mine);

    ::setenv("MELODUX_AUDIO", "speakers", 1);
    WaveOutDriver::setCurrent(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(capsName(*WaveOutDriver::current()), "default");  // falls back to ALSA
    EXPECT_NE(testing::internal::GetCapturedStderr().find("speakers"), std::string::npos);
    ::unsetenv("MELODUX_AUDIO");
    WaveOutDriver::setCurrent(nullptr);
}

TEST(WaveOutErrorText, CoversTheResultNumbersOnly) {
    std::string text;
    EXPECT_TRUE(waveOutErrorText(kMmAllocated, text));
    EXPECT_NE(text.find("使用"), std::string::npos);
    for (const uint32_t n : {9u, 12u, 31u, 35u, 0x83EE0004u}) {
        EXPECT_FALSE(waveOutErrorText(n, text)) << n;
    }
}

TEST(AlsaWaveOut, WithoutASoundCardOpenFailsCleanlyAndQuietly) {
    if (machineHasSoundCards()) {
        GTEST_SKIP() << "this machine has a sound card";
    }
    const auto alsa = makeAlsaWaveOutDriver();
    std::unique_ptr<WaveOutDevice> device;
    testing::internal::CaptureStderr();
    EXPECT_EQ(alsa->open(-1, WaveFormat::pcm(2, 44100, 16), nullptr, device), kMmNoDriver);
    EXPECT_EQ(alsa->open(0, WaveFormat::pcm(2, 44100, 16), nullptr, device), kMmBadDeviceId);
    EXPECT_EQ(makeAlsaWaveOutDriver("no_such_pcm")
                  ->open(-1, WaveFormat::pcm(2, 44100, 16), nullptr, device),
              kMmBadDeviceId);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(device, nullptr);
    WaveOutCaps caps;
    EXPECT_EQ(alsa->getDevCaps(3, caps), kMmBadDeviceId);
}

TEST(AlsaWaveOut, ABusyDeviceReportsAllocatedSoTheCallerRetries) {
    EXPECT_EQ(alsaOpenResult(-EBUSY, true), kMmAllocated);
    EXPECT_EQ(alsaOpenResult(-EBUSY, false), kMmAllocated);
    EXPECT_EQ(alsaOpenResult(-ENOENT, false), kMmBadDeviceId);
}

// ALSA's "null" PCM takes every frame at once: the whole device path runs
// without hardware.
TEST(AlsaWaveOut, PlaysBlocksThroughTheNullPcm) {
    const auto alsa = makeAlsaWaveOutDriver("null");
    std::unique_ptr<WaveOutDevice> device;
    DoneCounter done;
    ASSERT_EQ(alsa->open(-1, WaveFormat::pcm(2, 44100, 16), done.callback(), device), kMmNoError);
    ASSERT_EQ(device->setVolume(0x80008000), kMmNoError);
    TestBlock a(*device, rampFrames(4410)), b(*device, rampFrames(4410));
    ASSERT_EQ(device->write(a.header), kMmNoError);
    ASSERT_EQ(device->write(b.header), kMmNoError);
    ASSERT_TRUE(done.waitFor(2));
    EXPECT_TRUE(a.header.done() && b.header.done());
    EXPECT_EQ(a.bytes, rampFrames(4410));  // volume works on a copy
    ASSERT_EQ(device->pause(), kMmNoError);
    ASSERT_EQ(device->write(a.header), kMmNoError);
    ASSERT_EQ(device->reset(), kMmNoError);
    EXPECT_TRUE(a.header.done());
    uint32_t position = 1;
    ASSERT_EQ(device->getPosition(position), kMmNoError);
    EXPECT_EQ(position, 0u);
    ASSERT_TRUE(done.waitFor(3));
}
