#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the main window shows of the player: the title text, the caption
// and the time display.
namespace app::display {

inline constexpr std::string_view kProductName = "MP3 Melodux";
// Shown centred and blinking while the gap between two items plays.
inline constexpr std::string_view kBlankBanner = "*** Insert Blank ***";
// The banner's colour while the main window is not active (white when it is).
inline constexpr uint32_t kBlankBannerInactiveColor = 0xC0C0C0;
// Half the period the time digits blink with while paused.
inline constexpr uint32_t kBlinkMs = 500;

// "Title:%s - Artist:%s    ", or "Title:%s    " without an artist; the
// trailing spaces part the text from itself as it scrolls. A file without
// a title tag shows its file name without the extension.
std::string titleText(std::string_view title, std::string_view artist, std::string_view path);
// "%s  - %d.%s" with the product name, index + 1 and the title text
// without its trailing spaces; the product name alone without a title.
std::string captionText(int32_t index, std::string_view titleText);

struct TimeDigits {
    bool blank = true;   // no length known: every digit dark
    bool minus = false;  // counting down
    bool lit = true;     // false in the dark half of a blink
    int32_t hours = 0;   // two digits each
    int32_t minutes = 0;
    int32_t seconds = 0;
};

// counterMode 0 shows the position, 1 the time left (not below 0) with the
// minus sign; paused digits blink on tickMs.
TimeDigits timeDigits(int32_t counterMode, int32_t positionMs, int32_t lengthMs, bool paused,
                      uint32_t tickMs);

}  // namespace app::display
