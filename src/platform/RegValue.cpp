#include <cstring>

#include "platform/Registry.h"

namespace platform {

RegValue RegValue::dword(uint32_t v) {
    return RegValue{RegType::Dword,
                    {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                     static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)}};
}

RegValue RegValue::text(std::string_view s) {
    return RegValue{RegType::Sz, std::vector<uint8_t>(s.begin(), s.end())};
}

RegValue RegValue::binary(std::vector<uint8_t> bytes) {
    return RegValue{RegType::Binary, std::move(bytes)};
}

std::optional<uint32_t> RegValue::asDword() const {
    if (type != RegType::Dword || data.size() != 4) {
        return std::nullopt;
    }
    return uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
           uint32_t{data[3]} << 24;
}

std::optional<std::string> RegValue::asText() const {
    if (type != RegType::Sz) {
        return std::nullopt;
    }
    if (data.empty()) {
        return std::string();  // an empty vector may have no storage at all
    }
    // A text stored by another writer may carry its terminator.
    const auto* chars = reinterpret_cast<const char*>(data.data());
    return std::string(chars, ::strnlen(chars, data.size()));
}

}  // namespace platform
