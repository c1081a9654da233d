#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

// The dialog's rules on the values it edits.
namespace ui::options {

inline constexpr int kBlankEntries = 9;
inline constexpr int kDefaultBlankEntry = 4;  // "3.0 sec"
inline constexpr int32_t kNamingTitle = 2;
inline constexpr int32_t kNamingTrackNo = 3;
inline constexpr int32_t kNamingNone = 4;

// The gap list's entry for "BlankTime" (tenths of a second, 0.5 s steps
// from 1.0 s); a value off the list shows the default length.
constexpr int blankEntryOf(int32_t blankTime) {
    const int32_t entry = blankTime / 5 - 2;
    return entry >= 0 && entry < kBlankEntries ? entry : kDefaultBlankEntry;
}

constexpr int32_t blankTimeOf(int entry) {
    return (entry + 2) * 5;
}

// A file name needs the title or the track number to tell tracks apart;
// a list without a selection (-1) does not hold the rule up.
constexpr bool namingAccepted(const std::array<int32_t, 4>& parts) {
    return std::any_of(parts.begin(), parts.end(), [](int32_t part) {
        return part < 0 || part == kNamingTitle || part == kNamingTrackNo;
    });
}

}  // namespace ui::options
