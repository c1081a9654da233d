#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// What a second start hands to the running instance: the files named on its
// command line (absolute paths) and the token that lets the running window
// raise itself (XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID; may be empty).
struct HandOverMessage {
    std::vector<std::string> files;
    std::string activationToken;

    // The message on the instance socket:
    //   byte 0       version, kVersion
    //   bytes 1..4   L, the length of the path list, 32-bit little endian
    //   L bytes      the path list: each path followed by a zero byte, one
    //                more zero byte after the last (an empty list is one zero)
    //   4 bytes      T, the length of the token, 32-bit little endian
    //   T bytes      the token, without zero bytes
    // and nothing after it: the sender shuts its side down once it is sent.
    // The answer is one byte, kAnswerDone once the files were opened,
    // kAnswerRefused for a message that was not taken.
    static constexpr uint8_t kVersion = 1;
    static constexpr uint8_t kAnswerDone = 0;
    static constexpr uint8_t kAnswerRefused = 1;
    static constexpr size_t kMaxListBytes = 16 << 20;
    static constexpr size_t kMaxTokenBytes = 4096;
    static constexpr size_t kMaxBytes = 1 + 4 + kMaxListBytes + 4 + kMaxTokenBytes;

    std::string encode() const;
    // Nothing for another version, a length beyond the limits or the data, a
    // list without its final zero, an empty or relative path, a zero byte in
    // the token, or bytes after the token.
    static std::optional<HandOverMessage> decode(std::string_view bytes);

    bool operator==(const HandOverMessage&) const = default;
};

// The list of a WM_COPYDATA-style hand-over: each path followed by a zero
// byte, one more zero byte after the last.
std::string encodePathList(const std::vector<std::string>& paths);
// Nothing when the final zero is missing or bytes follow it.
std::optional<std::vector<std::string>> decodePathList(std::string_view list);

}  // namespace app
