#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Case and blank rules for names, keys and file formats: only ASCII letters
// fold and only the given ASCII characters are trimmed, so the bytes of
// multi-byte text (UTF-8, CP932) are never touched.
namespace platform {

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

inline std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return out;
}

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

inline bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// Space and tab.
inline constexpr std::string_view kBlanks = " \t";

inline std::string_view trimFront(std::string_view s, std::string_view chars = kBlanks) {
    const size_t first = s.find_first_not_of(chars);
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
}

inline std::string_view trimBack(std::string_view s, std::string_view chars = kBlanks) {
    const size_t last = s.find_last_not_of(chars);
    return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

inline std::string_view trim(std::string_view s, std::string_view chars = kBlanks) {
    return trimBack(trimFront(s, chars), chars);
}

}  // namespace platform
