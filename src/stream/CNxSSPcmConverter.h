#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

#include "platform/WaveFormat.h"
#include "stream/AcmConversion.h"
#include "stream/CNxSSComponent.h"
#include "stream/CNxSSPacket.h"
#include "stream/NxRef.h"

// Sits in front of a writer's encoder and turns the chain's PCM into the
// PCM the encoder needs (channels, rate, bits). Without a target, or with
// one equal to what arrives, it passes everything through untouched.
class CNxSSPcmConverter : public CNxSSComponent {
  public:
    static constexpr uint32_t kPacketFrames = 65536;

    explicit CNxSSPcmConverter(CNxSSObject* parent);

    void SetTargetFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);
    void ClearTargetFormat();

    bool GetFormat(platform::WaveFormat& format) override;
    // The upstream position less the audio held inside the converter.
    // Passing through, it holds nothing and takes no lock, so a progress
    // display never waits for the writer's read.
    int32_t GetPosition() override;
    int32_t SetPosition(int32_t ms) override;
    // Running opens the conversion (0x83EA0006 when no codec does it);
    // stopping closes it.
    void SetState(int32_t state) override;
    void Read(CNxSSPacket& packet) override;

  private:
    bool Converting() const { return conversion_.IsOpen(); }
    void OpenConversion();
    void CloseConversion();
    bool Refill();
    void DropHeldAudio();

    std::optional<platform::WaveFormat> target_;
    platform::WaveFormat source_;
    NxRef<CNxSSPacket> packet_;
    std::span<const uint8_t> packetLeft_;
    bool upstreamEnded_ = false;
    AcmConversion conversion_;
    std::span<const uint8_t> undelivered_;
    std::atomic<bool> converting_ = false;  // follows conversion_, read without the lock
    std::recursive_mutex lock_;
};
