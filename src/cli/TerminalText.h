#pragma once

#include <string>
#include <string_view>

namespace cli {

// Text from files or the network as it may be printed to a terminal:
// control characters (C0 except tab, DEL, and C1 such as U+009B) and bytes
// that are not UTF-8 are written as \xHH, so no escape sequence in a tag or
// a CDDB reply reaches the terminal (retitling it, clearing the screen) and
// no line break in a value starts a line of its own.
std::string terminalText(std::string_view text);

}  // namespace cli
