#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Text inside the program is UTF-8. Files made on the original desktop
// (ID3v1 tags, old playlists, CD databases) carry code page 932.

// Converts CP932 bytes to UTF-8. Bytes that are not valid CP932 become
// U+FFFD, so nothing is dropped without a trace.
std::string cp932ToUtf8(std::string_view cp932);

// Converts UTF-8 to CP932. Characters CP932 cannot represent (and invalid
// UTF-8) become '?'.
std::string utf8ToCp932(std::string_view utf8);

bool isValidUtf8(std::string_view text);

// Text from outside whose encoding is not recorded: valid UTF-8 is taken as
// it is, anything else is read as CP932.
std::string toUtf8Guess(std::string_view text);

// Length in bytes of the CP932 character starting with `lead` (1 or 2).
size_t cp932CharLength(unsigned char lead);

// The longest prefix of `cp932` no longer than maxBytes that does not end
// in the middle of a double-byte character.
std::string_view cp932Truncate(std::string_view cp932, size_t maxBytes);

// The longest prefix of `utf8` no longer than maxBytes that does not end in
// the middle of a character.
std::string_view utf8Truncate(std::string_view utf8, size_t maxBytes);

// Length in bytes of the valid UTF-8 character at text[i], or 0 when the
// bytes there are no such character.
size_t utf8CharLength(std::string_view text, size_t i);

}  // namespace platform
