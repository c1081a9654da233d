#pragma once

#include <string>
#include <string_view>

namespace platform {

// Where the program and its components keep their settings in the hives.
inline constexpr std::string_view kProductKey = "Software\\Corvanta\\MP3 Melodux";

// The product key joined with a subkey: "Settings", "DoZIrodiz\WaveOut".
inline std::string productSubkey(std::string_view subkey) {
    std::string key(kProductKey);
    key += '\\';
    key += subkey;
    return key;
}

}  // namespace platform
