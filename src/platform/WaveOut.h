#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/WaveFormat.h"

namespace platform {

// Result numbers of the wave output functions, numbered as the classic
// multimedia API numbers them (they travel inside 0x83EExxxx result codes).
enum MmResult : uint32_t {
    kMmNoError = 0,
    kMmError = 1,
    kMmBadDeviceId = 2,
    kMmNotEnabled = 3,
    kMmAllocated = 4,  // device busy
    kMmInvalidHandle = 5,
    kMmNoDriver = 6,
    kMmNoMemory = 7,
    kMmNotSupported = 8,
    kMmInvalidFlag = 10,
    kMmInvalidParam = 11,
    kWaveBadFormat = 32,
    kWaveStillPlaying = 33,
    kWaveUnprepared = 34,
};

// One output block. The owner keeps the bytes alive while the block is
// prepared. The device sets kDone (from its own thread) once every byte of
// the block has been played, or when reset() hands the block back.
// bufferLength is a whole number of frames (block aligns).
struct WaveHeader {
    static constexpr uint32_t kDone = 0x01;
    static constexpr uint32_t kPrepared = 0x02;
    static constexpr uint32_t kInQueue = 0x10;

    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    std::atomic<uint32_t> flags{0};

    bool done() const { return (flags.load(std::memory_order_acquire) & kDone) != 0; }
    bool prepared() const { return (flags.load(std::memory_order_acquire) & kPrepared) != 0; }
};

struct WaveOutCaps {
    std::string name;
    bool volume = false;    // device has a volume control
    bool lrVolume = false;  // ... with separate left and right levels
};

// An open output device. Destroying it closes it (after a reset).
// Volume values are packed as (right << 16) | left, each 0..0xFFFF.
class WaveOutDevice {
  public:
    virtual ~WaveOutDevice() = default;
    virtual MmResult prepareHeader(WaveHeader& block) = 0;
    virtual MmResult unprepareHeader(WaveHeader& block) = 0;  // kWaveStillPlaying while queued
    virtual MmResult write(WaveHeader& block) = 0;  // queues a prepared block; clears kDone
    virtual MmResult pause() = 0;
    virtual MmResult restart() = 0;
    // Stops at once, marks every queued block done before returning (their
    // callbacks follow from the device thread), position back to 0. A paused
    // device stays paused.
    virtual MmResult reset() = 0;
    // Bytes played since open or the last reset.
    virtual MmResult getPosition(uint32_t& bytes) = 0;
    virtual MmResult setVolume(uint32_t leftRight) = 0;
    virtual MmResult getVolume(uint32_t& leftRight) = 0;
};

// The device-independent functions: capabilities and volume by device id,
// and open. deviceId -1 is the default device.
class WaveOutDriver {
  public:
    // Called on the device's thread once for each block that is done
    // (played or handed back by reset or close), in order. It must only post
    // work elsewhere: it must not call into or destroy the device.
    using DoneCallback = std::function<void()>;

    virtual ~WaveOutDriver() = default;
    virtual MmResult getDevCaps(int deviceId, WaveOutCaps& caps) = 0;
    virtual MmResult getVolume(int deviceId, uint32_t& leftRight) = 0;
    virtual MmResult open(int deviceId, const WaveFormat& format, DoneCallback onDone,
                          std::unique_ptr<WaveOutDevice>& device) = 0;

    // The driver the program plays through: set by setCurrent(), else made
    // from $MELODUX_AUDIO, else ALSA.
    static std::shared_ptr<WaveOutDriver> current();
    static void setCurrent(std::shared_ptr<WaveOutDriver> driver);
};

// Makes a driver from a selection text: "null", "file:PATH", "alsa",
// "alsa:N" (card N) or "alsa:NAME" (an ALSA PCM name). Returns null for an
// unknown selection.
std::shared_ptr<WaveOutDriver> makeWaveOutDriver(std::string_view selection);

// The platform's text for a wave error number (Japanese). False when the
// number has no text.
bool waveOutErrorText(uint32_t mmResult, std::string& text);

}  // namespace platform
