#pragma once

#include <QString>
#include <string_view>

namespace ui::options {

inline QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ui::options
