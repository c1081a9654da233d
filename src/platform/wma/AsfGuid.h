#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace platform::wma {

// A GUID in the byte order ASF stores it: the first three groups little
// endian, the last two as written.
using AsfGuid = std::array<uint8_t, 16>;

namespace detail {
constexpr uint8_t hexDigit(char c) {
    return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}
constexpr uint8_t hexByte(std::string_view text, size_t at) {
    return static_cast<uint8_t>(hexDigit(text[at]) << 4 | hexDigit(text[at + 1]));
}
}  // namespace detail

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" at compile time.
constexpr AsfGuid asfGuid(std::string_view text) {
    constexpr size_t kTextPositions[16] = {6,  4,  2,  0,  11, 9,  16, 14,
                                           19, 21, 24, 26, 28, 30, 32, 34};
    AsfGuid g{};
    for (size_t i = 0; i < g.size(); ++i) {
        g[i] = detail::hexByte(text, kTextPositions[i]);
    }
    return g;
}

inline bool guidAt(std::span<const uint8_t> bytes, size_t offset, const AsfGuid& guid) {
    if (offset > bytes.size() || bytes.size() - offset < guid.size()) {
        return false;
    }
    for (size_t i = 0; i < guid.size(); ++i) {
        if (bytes[offset + i] != guid[i]) {
            return false;
        }
    }
    return true;
}

// Object identifiers of the ASF standard used by this layer.
namespace asf {
inline constexpr AsfGuid kHeader = asfGuid("75B22630-668E-11CF-A6D9-00AA0062CE6C");
inline constexpr AsfGuid kFileProperties = asfGuid("8CABDCA1-A947-11CF-8EE4-00C00C205365");
inline constexpr AsfGuid kHeaderExtension = asfGuid("5FBF03B5-A92E-11CF-8EE3-00C00C205365");
inline constexpr AsfGuid kStreamProperties = asfGuid("B7DC0791-A9B7-11CF-8EE6-00C00C205365");
inline constexpr AsfGuid kContentEncryption = asfGuid("2211B3FB-BD23-11D2-B4B7-00A0C955FC6E");
inline constexpr AsfGuid kExtendedContentEncryption =
    asfGuid("298AE614-2622-4C17-B935-DAE07EE9289C");
inline constexpr AsfGuid kAdvancedContentEncryption =
    asfGuid("43058533-6981-49E6-9B74-AD12CB86D58C");
inline constexpr AsfGuid kProtectionSystemIdentifier =
    asfGuid("9A04F079-9840-4286-AB92-E65BE0885F95");
}  // namespace asf

}  // namespace platform::wma
