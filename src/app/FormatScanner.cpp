#include "app/FormatScanner.h"

#include <charconv>
#include <limits>

namespace app {

bool FormatScanner::decimal(int32_t& value) {
    return number(value, 10);
}

bool FormatScanner::integer(int32_t& value) {
    const size_t sign = (!rest_.empty() && (rest_[0] == '-' || rest_[0] == '+')) ? 1 : 0;
    const std::string_view digits = rest_.substr(sign);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        return number(value, 16);
    }
    if (digits.size() > 1 && digits[0] == '0') {
        return number(value, 8);
    }
    return number(value, 10);
}

bool FormatScanner::literal(char c) {
    if (rest_.empty() || rest_[0] != c) {
        return false;
    }
    rest_.remove_prefix(1);
    return true;
}

bool FormatScanner::number(int32_t& value, int base) {
    std::string_view text = rest_;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    if (base == 16) {
        text.remove_prefix(2);
    }
    // Digits only from here: from_chars would take a second sign.
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    const uint64_t limit = negative ? uint64_t{1} << 31 : std::numeric_limits<int32_t>::max();
    if (error != std::errc() || magnitude > limit) {
        return false;
    }
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                     : static_cast<int32_t>(magnitude);
    rest_.remove_prefix(static_cast<size_t>(end - rest_.data()));
    return true;
}

}  // namespace app
