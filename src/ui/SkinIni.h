#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

// "Skin.ini": an INI file read the way the skin's description has always
// been read. Section and key names match without regard to ASCII case, the
// first of several equal names wins, values are trimmed and lose one pair
// of enclosing quotes, and a value is cut to fit the reader's buffer.
class SkinIni {
  public:
    // Value buffers: 80 characters for the player's sections, 256 for the
    // equalizer and spectrum sections (one kept for the terminator).
    static constexpr std::size_t kBuffer = 80;
    static constexpr std::size_t kDressBuffer = 256;
    // A larger file is no skin description; it is read as empty.
    static constexpr std::size_t kMaxFileSize = 1u << 20;

    SkinIni() = default;
    static SkinIni parse(std::string_view text);
    // A missing or unreadable file gives an empty description (all defaults).
    static SkinIni load(const std::filesystem::path& file);

    std::string value(std::string_view section, std::string_view key, std::string_view fallback,
                      std::size_t buffer = kBuffer) const;
    bool has(std::string_view section, std::string_view key) const;

  private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    const Entry* find(std::string_view section, std::string_view key) const;

    std::vector<Entry> entries_;
};

// Reads up to `N` comma-separated decimal integers the way "%d,%d,..." is
// scanned: fields after the first one that does not parse keep their
// values. Returns how many were read.
template <std::size_t N>
std::size_t scanIntegers(std::string_view text, std::array<int, N>& out);

std::size_t scanIntegerList(std::string_view text, int* out, std::size_t count);

template <std::size_t N>
std::size_t scanIntegers(std::string_view text, std::array<int, N>& out) {
    return scanIntegerList(text, out.data(), N);
}

// Cuts `text` to at most `bytes` bytes without splitting a UTF-8 character.
std::string_view cutUtf8(std::string_view text, std::size_t bytes);

}  // namespace ui
