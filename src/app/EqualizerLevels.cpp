#include "app/EqualizerLevels.h"

#include "app/FormatScanner.h"

namespace app {

std::optional<EqualizerLevels> EqualizerLevels::parse(std::string_view text) {
    EqualizerLevels result;
    FormatScanner scan(text);
    for (size_t i = 0; i < kBands; ++i) {
        if ((i > 0 && !scan.literal(',')) || !scan.decimal(result.levels[i])) {
            return std::nullopt;
        }
    }
    return scan.atEnd() ? std::optional(result) : std::nullopt;
}

std::string EqualizerLevels::format() const {
    std::string text;
    for (size_t i = 0; i < kBands; ++i) {
        if (i > 0) {
            text += ',';
        }
        text += std::to_string(levels[i]);
    }
    return text;
}

}  // namespace app
