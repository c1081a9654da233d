#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"

namespace platform {

// The hive file format, one item a line:
//   ; comment                      (also '#')
//   [Software\Corvanta\MP3 Melodux\Settings]
//   "Blocks"=dword:00000005
//   "Title"="text with \"quotes\", \\, \n, \t and \x01"
//   "WaveType"=hex:01,00,02,00      (hex: with no bytes is an empty block)
// Names and texts are UTF-8; bytes that are not are written as \xHH.
struct RegistryParseError {
    size_t line = 0;  // 1-based
    std::string message;
};

// Reads hive text. Any malformed line makes the whole text invalid: returns
// false with the first error, and `hive` is left empty. Repeated keys are
// merged; a repeated value name keeps the last value.
bool parseRegistryText(std::string_view text, RegistryHive& hive, RegistryParseError& error);

// Writes the hive in the format above; parseRegistryText reads it back
// unchanged. Every key is written, also keys without values.
std::string renderRegistryText(const RegistryHive& hive);

}  // namespace platform
