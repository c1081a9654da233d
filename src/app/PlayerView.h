#pragma once

#include <cstdint>
#include <string>

#include "platform/WaveFormat.h"

namespace app {

// The main window as the player drives it. Every call comes on the owner's
// thread.
class PlayerView {
  public:
    virtual ~PlayerView() = default;
    // The title text ("" when nothing is current), the item's play time and
    // the window caption.
    virtual void ShowTitle(const std::string& text, int32_t playTimeMs,
                           const std::string& caption) = 0;
    // The opened item's length, the format it plays in, and the bitrate of
    // the file (kbit/s; the PCM rate when the file is PCM) and whether it
    // varies.
    virtual void ShowFormat(int32_t lengthMs, const platform::WaveFormat& format,
                            int32_t bitrateKbps, bool variableBitrate) = 0;
    virtual void ShowPlayButton(bool pressed) = 0;
    // The pause state changed; the Play button is drawn again.
    virtual void RedrawPlayButton() = 0;
    // The blinking gap banner (display::kBlankBanner) in the title area.
    virtual void ShowBlankBanner(bool shown) = 0;
    // A message box with an exclamation icon.
    virtual void ShowMessage(uint32_t code, const std::string& text) = 0;
};

}  // namespace app
