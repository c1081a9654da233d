#include "cdinfo/FileNameText.h"

#include "platform/AsciiText.h"
#include "platform/TextCodec.h"

namespace cdinfo {

namespace {

bool refused(unsigned char c) {
    constexpr std::string_view kRefused = "/\\:*?\"<>|";
    return c < 0x20 || c == 0x7F || kRefused.find(static_cast<char>(c)) != std::string_view::npos;
}

// Spaces at the front; spaces and dots at the back.
std::string_view trimName(std::string_view s) {
    return platform::trimBack(platform::trimFront(s, " "), " .");
}

}  // namespace

std::string fileNameSafe(std::string_view text, size_t maxBytes) {
    std::string replaced = platform::toUtf8Guess(text);
    for (char& c : replaced) {
        if (refused(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    std::string_view name = trimName(replaced);
    name = trimName(platform::utf8Truncate(name, maxBytes));
    return std::string(name);
}

}  // namespace cdinfo
