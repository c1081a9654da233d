#include "app/PanelPoints.h"

#include "app/ListColumns.h"

namespace app {

// The same pairs as list columns, four of them.
std::optional<PanelPoints> PanelPoints::parse(std::string_view text) {
    const auto pairs = ListColumns::parse(text);
    if (!pairs || pairs->columns.size() != 4) {
        return std::nullopt;
    }
    PanelPoints result;
    for (size_t i = 0; i < 4; ++i) {
        result.points[i] = {pairs->columns[i].column, pairs->columns[i].width};
    }
    return result;
}

std::string PanelPoints::format() const {
    ListColumns pairs;
    for (const Point& point : points) {
        pairs.columns.push_back({point.x, point.y});
    }
    return pairs.format();
}

}  // namespace app
