#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/wma/OutputFormats.h"
#include "stream/CNxSSWriterSettings.h"

// What the WMA writer encodes to: sample rate, channels and bit rate,
// 44100 Hz stereo at 128000 bits per second unless stored otherwise.
class CNxSSWmaWriterSettings : public CNxSSWriterSettings {
  public:
    static constexpr std::string_view kSubkey = "DoZIrodiz\\WMAWriter";

    CNxSSWmaWriterSettings() = default;
    explicit CNxSSWmaWriterSettings(const platform::wma::OutputSettings& output);

    platform::wma::OutputSettings Output() const;
    void SetOutput(const platform::wma::OutputSettings& output);

    // "SampleRate", "Channels", "Bitrate". Loading keeps the present value
    // for one that is missing or impossible (no rate, channels other than 1
    // or 2, no bit rate).
    void Persist(bool save, CNxSSRegistryStore& store) override;
    NxRef<CNxSSWriterSettings> Clone() const override;
    // "WMA 128Kbps 44100Hz Stereo".
    std::string Describe() const override;
    bool IsSame(const CNxSSWriterSettings& other) const override;
    int32_t GetSinkKind() const override { return 16; }
    std::string GetExtension() const override { return "wma"; }
    uint32_t GetBitrate() const override { return Output().bitrate; }

  private:
    void LoadFrom(CNxSSRegistryStore& store);

    mutable std::mutex mutex_;  // the writer's thread reads what the options page sets
    platform::wma::OutputSettings output_;
};
