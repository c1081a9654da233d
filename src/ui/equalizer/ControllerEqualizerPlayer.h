#pragma once

#include "app/CPlayController.h"
#include "ui/equalizer/EqualizerPlayer.h"

namespace ui {

// The equalizer window's player over the play controller.
class ControllerEqualizerPlayer final : public EqualizerPlayer {
  public:
    explicit ControllerEqualizerPlayer(app::CPlayController& player) : player_(player) {}

    void SetLevels(const std::array<double, 10>& levels) override {
        player_.SetEqualizerLevels(levels);
    }
    void SetGain(int32_t gain) override { player_.SetEqualizerGain(gain); }
    void SetBypass(bool bypass) override { player_.SetEqualizerBypass(bypass); }
    bool OutputFormat(platform::WaveFormat& format) override {
        return player_.GetOutputFormat(format) != 0;
    }
    bool CopyPlaying(void* buffer, uint32_t frames) override {
        return player_.CopyPlayingData(buffer, frames) != 0;
    }

  private:
    app::CPlayController& player_;
};

}  // namespace ui
