#pragma once

#include <string>

#include "platform/WaveFormat.h"
#include "stream/CNxSSWriterSettings.h"

// The WAVE writer's settings: the wave format it writes, PCM 44.1 kHz
// 16-bit stereo until another is chosen. Stored as the format record's
// bytes in "DoZIrodiz\WaveWriter" "WaveType".
class CNxSSWaveWriterSettings : public CNxSSWriterSettings {
  public:
    static constexpr const char* kSubkey = "DoZIrodiz\\WaveWriter";
    static constexpr const char* kValue = "WaveType";

    CNxSSWaveWriterSettings();

    // Loading keeps the current format when the stored value is missing,
    // empty or not a complete format record.
    void Persist(bool save, CNxSSRegistryStore& store) override;
    NxRef<CNxSSWriterSettings> Clone() const override;
    // "WAVE <format name> <format text>"; empty for a format no codec knows.
    std::string Describe() const override;
    bool IsSame(const CNxSSWriterSettings& other) const override;
    int32_t GetSinkKind() const override { return 15; }
    std::string GetExtension() const override { return "wav"; }
    uint32_t GetBitrate() const override { return target_.avgBytesPerSec() * 8; }

    const platform::WaveFormat& Target() const { return target_; }
    void SetTarget(const platform::WaveFormat& format) { target_ = format; }

  private:
    platform::WaveFormat target_;
};
