#include "app/WindowPlacement.h"

#include <array>

#include "app/FormatScanner.h"

namespace app {

namespace {

std::array<int32_t*, 10> fields(WindowPlacement& p) {
    return {&p.flags, &p.showCommand, &p.minX, &p.minY,  &p.maxX,
            &p.maxY,  &p.left,        &p.top,  &p.right, &p.bottom};
}

}  // namespace

std::optional<WindowPlacement> WindowPlacement::parse(std::string_view text) {
    WindowPlacement placement;
    FormatScanner scan(text);
    bool first = true;
    for (int32_t* field : fields(placement)) {
        if ((!first && !scan.literal(':')) || !scan.integer(*field)) {
            return std::nullopt;
        }
        first = false;
    }
    return scan.atEnd() ? std::optional(placement) : std::nullopt;
}

std::string WindowPlacement::format() const {
    const std::array<int32_t, 10> values = {flags, showCommand, minX, minY,  maxX,
                                            maxY,  left,        top,  right, bottom};
    std::string text;
    for (const int32_t value : values) {
        text += (text.empty() ? "" : ":") + std::to_string(value);
    }
    return text;
}

}  // namespace app
