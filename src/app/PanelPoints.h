#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The four layout points of the list/edit panel as "LibraryPoints" stores
// them: "(%d,%d)(%d,%d)(%d,%d)(%d,%d)".
struct PanelPoints {
    struct Point {
        int32_t x = 0;
        int32_t y = 0;
        bool operator==(const Point&) const = default;
    };

    std::array<Point, 4> points{};

    // Nothing unless the text is exactly four pairs.
    static std::optional<PanelPoints> parse(std::string_view text);
    std::string format() const;
    bool operator==(const PanelPoints&) const = default;
};

}  // namespace app
