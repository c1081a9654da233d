#pragma once

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include "ui/equalizer/EqualizerPlayer.h"

namespace ui {

// A player that records what the equalizer window hands it and, while
// "playing", lets the spectrum display hear a full-scale 1 kHz tone (or
// noise, new at every look, which moves every bar to its own height) in
// 16-bit stereo at 44.1 kHz.
class FakeEqualizerPlayer final : public EqualizerPlayer {
  public:
    // The band of a 16-band meter the tone fills: 1 kHz is bins 10-12 of 512.
    static constexpr size_t kToneBand = 7;

    struct Calls {
        std::vector<std::array<double, 10>> levels;
        std::vector<int32_t> gains;
        std::vector<bool> bypasses;
    };

    // The window owns its player; the test keeps what it was handed.
    explicit FakeEqualizerPlayer(Calls& calls) : calls_(calls) {
        for (size_t i = 0; i < tone_.size() / 2; ++i) {
            const auto s = static_cast<int16_t>(
                std::lround(32000 * std::sin(2 * std::numbers::pi * 1000 * double(i) / 44100)));
            tone_[2 * i] = tone_[2 * i + 1] = s;
        }
    }

    void SetLevels(const std::array<double, 10>& levels) override {
        calls_.levels.push_back(levels);
    }
    void SetGain(int32_t gain) override { calls_.gains.push_back(gain); }
    void SetBypass(bool bypass) override { calls_.bypasses.push_back(bypass); }
    bool OutputFormat(platform::WaveFormat& format) override {
        if (!playing_) {
            return false;
        }
        format = platform::WaveFormat::pcm(2, 44100, 16);
        return true;
    }
    bool CopyPlaying(void* buffer, uint32_t frames) override {
        if (!playing_ || frames * 2 > tone_.size()) {
            return false;
        }
        if (noise_) {
            auto* samples = static_cast<int16_t*>(buffer);
            for (uint32_t i = 0; i < 2 * frames; ++i) {
                seed_ = seed_ * 1664525u + 1013904223u;
                samples[i] = static_cast<int16_t>(seed_ >> 16);
            }
        } else {
            std::memcpy(buffer, tone_.data(), frames * 4);
        }
        return true;
    }

    void setPlaying(bool playing) { playing_ = playing; }
    void setNoise(bool noise) { noise_ = noise; }

  private:
    Calls& calls_;
    std::array<int16_t, 2 * 4096> tone_{};
    std::atomic<bool> playing_{false};
    std::atomic<bool> noise_{false};
    uint32_t seed_ = 1;  // the worker's thread alone
};

}  // namespace ui
