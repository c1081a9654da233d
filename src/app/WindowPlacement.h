#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A window's placement as the "...Position" settings store it:
// "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i" for flags, show command, minimised
// position, maximised position and the normal rectangle.
struct WindowPlacement {
    // Show commands the panels store: visible at exit, or hidden.
    static constexpr int32_t kShown = 5;
    static constexpr int32_t kHidden = 0;

    int32_t flags = 0;
    int32_t showCommand = kHidden;
    int32_t minX = 0;
    int32_t minY = 0;
    int32_t maxX = 0;
    int32_t maxY = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Nothing unless all ten numbers are there and nothing follows them.
    static std::optional<WindowPlacement> parse(std::string_view text);
    std::string format() const;
    bool operator==(const WindowPlacement&) const = default;
};

}  // namespace app
