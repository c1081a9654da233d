#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "dsp/Equalizer.h"
#include "platform/WaveFormat.h"

namespace dsp {

// The equalizer on PCM blocks as the renderer plays them: integer PCM of
// 8 to 32 bits and float of 32 or 64 bits, any rate and channel count.
// Formats it cannot read pass untouched.
class PcmEqualizer {
  public:
    // Keeps the settings; a new rate or channel count builds new filters.
    void Configure(const platform::WaveFormat& format);
    void SetSettings(const EqualizerSettings& settings);
    // Filters whole frames in place.
    void Process(std::span<uint8_t> bytes);

  private:
    void Decode(const uint8_t* from, size_t samples);
    void Encode(uint8_t* to, size_t samples) const;

    platform::WaveFormat format_;
    std::unique_ptr<Equalizer> equalizer_;
    EqualizerSettings settings_;
    bool settingsGiven_ = false;
    std::vector<double> scratch_;
};

}  // namespace dsp
