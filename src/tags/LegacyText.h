#pragma once

#include <string>
#include <string_view>

namespace tags {

// True when bytes that claim to be ISO-8859-1 are really CP932, as Japanese
// Windows rippers write them: not valid UTF-8, valid CP932 outside the
// user-defined area, and holding a character that only Japanese text
// forms (see hasJapanesePair).
bool isLikelyCp932(std::string_view bytes);

// The UTF-8 text of an ID3v2 ISO-8859-1 field: plain ASCII and valid UTF-8
// (from taggers that ignore the encoding byte) as they are, CP932 by the
// rule above, anything else as ISO-8859-1.
std::string latin1FieldToUtf8(std::string_view bytes);

}  // namespace tags
