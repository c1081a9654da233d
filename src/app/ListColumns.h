#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// One displayed column of a list view: the data column shown there and
// its width in pixels.
struct ColumnPosition {
    int32_t column = 0;
    int32_t width = 0;
    bool operator==(const ColumnPosition&) const = default;
};

// The columns of a list view as the "...ItemPosition" settings store
// them, left to right: "(%d,%d)" per column, without separators.
struct ListColumns {
    static constexpr size_t kLibraryColumns = 9;  // library and playlist views
    static constexpr size_t kRecordColumns = 10;  // recording list

    std::vector<ColumnPosition> columns;

    // Nothing unless the text is a run of well-formed pairs.
    static std::optional<ListColumns> parse(std::string_view text);
    std::string format() const;

    // A stored value for the library or playlist view: up to nine pairs,
    // the columns it lacks as in `fallback`; unreadable text gives
    // `fallback` whole.
    static ListColumns forLibrary(std::string_view stored, std::string_view fallback);
    // For the recording list: all ten pairs, else `fallback` whole.
    static ListColumns forRecording(std::string_view stored, std::string_view fallback);

    bool operator==(const ListColumns&) const = default;
};

}  // namespace app
