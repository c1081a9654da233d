#include "cli/TerminalText.h"

#include <cstdio>

#include "platform/TextCodec.h"

namespace cli {

namespace {

bool isControl(std::string_view character) {
    const auto first = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return (first < 0x20 && first != '\t') || first == 0x7F;
    }
    // U+0080..U+009F: C2 80..C2 9F.
    return character.size() == 2 && first == 0xC2 &&
           static_cast<unsigned char>(character[1]) < 0xA0;
}

void appendEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += hex;
    }
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = platform::utf8CharLength(text, i);
        const std::string_view character = text.substr(i, n == 0 ? 1 : n);
        if (n == 0 || isControl(character)) {
            appendEscaped(out, character);
        } else {
            out += character;
        }
        i += character.size();
    }
    return out;
}

}  // namespace cli
