#pragma once

#include <taglib/tstring.h>

#include <string>

#include "tags/LegacyText.h"

// Text between TagLib and the engine; included by this folder's sources only.
namespace tags {

inline TagLib::String toTagLib(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

inline std::string fromTagLib(const TagLib::String& text) {
    return text.to8Bit(true);
}

// An ISO-8859-1 field keeps its bytes in TagLib's string one to a
// character, so they come back unchanged for the CP932 test.
inline std::string fromLatin1Field(const TagLib::String& text) {
    return latin1FieldToUtf8(text.to8Bit(false));
}

}  // namespace tags
