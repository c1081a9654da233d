#pragma once

#include <string>
#include <string_view>

#include "cdinfo/CDiscID.h"

namespace app {

// What keeps a disc from being submitted to CDDB before anything is sent.
enum class PostProblem { None, MailAddress, DiscTitle };

// The address needs an "@"; the disc a title that is not only blanks.
PostProblem postProblem(const std::string& mailAddress, const cdinfo::CDiscID& disc);

// Whether a UTF-8 text holds a character that takes two bytes in the
// Japanese double-byte code (anything but ASCII and half-width katakana).
bool hasDoubleByte(std::string_view utf8);

// The same over the disc's texts and every track's title, artist and extra
// text: CDDB servers may not take them as they are.
bool discHasDoubleByte(const cdinfo::CDiscID& disc);

}  // namespace app
