#include "mdb/TextRules.h"

#include <algorithm>

namespace mdb {

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), foldAscii);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldAscii(x) == foldAscii(y);
           });
}

bool containsIgnoreCase(std::string_view haystack, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) {
        return true;
    }
    const auto it =
        std::search(haystack.begin(), haystack.end(), lowerNeedle.begin(), lowerNeedle.end(),
                    [](char h, char n) { return foldAscii(h) == n; });
    return it != haystack.end();
}

bool lessIgnoreCase(std::string_view a, std::string_view b) {
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(foldAscii(x)) < static_cast<unsigned char>(foldAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) {
        return false;
    }
    return a < b;
}

}  // namespace mdb
