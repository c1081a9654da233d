#include "tags/LegacyText.h"

#include "platform/TextCodec.h"

namespace tags {

namespace {

// Japanese text shows itself by a double-byte character made of two
// non-ASCII bytes, or led by 0x81 to 0x83 (punctuation, kana). ISO-8859-1
// and Windows-1252 text puts an accent or a quote before an ASCII letter,
// which CP932 would read as a rare kanji: "\xE9t" in "\xE9t\xE9".
bool hasJapanesePair(std::string_view bytes) {
    size_t i = 0;
    while (i + 1 < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (platform::cp932CharLength(lead) == 1) {
            ++i;
            continue;
        }
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (trail >= 0x80 || lead <= 0x83) {
            return true;
        }
        i += 2;
    }
    return false;
}

// U+FFFD stands for a byte sequence CP932 does not define; U+E000 to U+F8FF
// come from the user-defined area, which real titles do not use but
// accented Latin letters (0xF0 to 0xF9) often hit.
bool hasReplacementOrPrivateUse(std::string_view utf8) {
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        const auto a = static_cast<unsigned char>(utf8[i]);
        const auto b = static_cast<unsigned char>(utf8[i + 1]);
        const auto c = static_cast<unsigned char>(utf8[i + 2]);
        const bool replacement = a == 0xEF && b == 0xBF && c == 0xBD;
        const bool privateUse = a == 0xEE || (a == 0xEF && b >= 0x80 && b <= 0xA3);
        if (replacement || privateUse) {
            return true;
        }
    }
    return false;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

bool isLikelyCp932(std::string_view bytes) {
    return !platform::isValidUtf8(bytes) && hasJapanesePair(bytes) &&
           !hasReplacementOrPrivateUse(platform::cp932ToUtf8(bytes));
}

std::string latin1FieldToUtf8(std::string_view bytes) {
    if (platform::isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return isLikelyCp932(bytes) ? platform::cp932ToUtf8(bytes) : latin1ToUtf8(bytes);
}

}  // namespace tags
