#include "app/PlayerDisplay.h"

#include <algorithm>
#include <filesystem>

namespace app::display {

std::string titleText(std::string_view title, std::string_view artist, std::string_view path) {
    std::string text = "Title:";
    text += title.empty() ? std::filesystem::path(path).stem().string() : std::string(title);
    if (!artist.empty()) {
        text += " - Artist:";
        text += artist;
    }
    return text + "    ";
}

std::string captionText(int32_t index, std::string_view titleText) {
    const size_t end = titleText.find_last_not_of(' ');
    if (end == std::string_view::npos) {
        return std::string(kProductName);
    }
    return std::string(kProductName) + "  - " + std::to_string(index + 1) + "." +
           std::string(titleText.substr(0, end + 1));
}

TimeDigits timeDigits(int32_t counterMode, int32_t positionMs, int32_t lengthMs, bool paused,
                      uint32_t tickMs) {
    TimeDigits digits;
    if (lengthMs <= 0) {
        return digits;
    }
    digits.blank = false;
    digits.minus = counterMode == 1;
    digits.lit = !paused || (tickMs / kBlinkMs) % 2 == 0;
    const int32_t shownMs = digits.minus ? std::max(lengthMs - positionMs, 0) : positionMs;
    const int32_t seconds = std::max(shownMs, 0) / 1000;
    digits.hours = seconds / 3600 % 100;
    digits.minutes = seconds % 3600 / 60;
    digits.seconds = seconds % 60;
    return digits;
}

}  // namespace app::display
