#include "mdb/TextRules.h"

#include <algorithm>
#include <cstring>

namespace mdb {

namespace {

// The first position at or after `from` holding `a` or `b`, or npos.
size_t findEither(std::string_view text, size_t from, char a, char b) {
    const char* begin = text.data() + from;
    const size_t size = text.size() - from;
    const void* first = std::memchr(begin, a, size);
    const size_t end =
        first != nullptr ? static_cast<size_t>(static_cast<const char*>(first) - begin) : size;
    const void* second = a == b ? nullptr : std::memchr(begin, b, end);
    const char* hit =
        second != nullptr ? static_cast<const char*>(second) : static_cast<const char*>(first);
    return hit == nullptr ? std::string_view::npos : static_cast<size_t>(hit - text.data());
}

}  // namespace

bool containsIgnoreCase(std::string_view haystack, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) {
        return true;
    }
    if (haystack.size() < lowerNeedle.size()) {
        return false;
    }
    // Candidates are found by the first byte in either case (memchr is
    // vectorised), the rest is compared folded.
    const char first = lowerNeedle.front();
    const char firstUpper = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
    const size_t last = haystack.size() - lowerNeedle.size();
    for (size_t i = findEither(haystack, 0, first, firstUpper); i <= last;
         i = findEither(haystack, i + 1, first, firstUpper)) {
        size_t k = 1;
        while (k < lowerNeedle.size() && lowerAscii(haystack[i + k]) == lowerNeedle[k]) {
            ++k;
        }
        if (k == lowerNeedle.size()) {
            return true;
        }
    }
    return false;
}

bool lessIgnoreCase(std::string_view a, std::string_view b) {
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) <
               static_cast<unsigned char>(lowerAscii(y));
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
