#pragma once

#include <array>
#include <string>
#include <string_view>

// Which reader a music file goes to, by its name or by its first bytes.
namespace nxss {

enum class FileFormat { None, Mp3, Riff, Wma, Media };

// The extensions the media module's reader takes by name (lower case, no
// dot). Others it decodes (".mp4" with audio, for one) are found by their
// contents when their name claims no reader.
inline constexpr std::array<const char*, 18> kMediaExtensions = {
    "flac", "ogg",  "oga", "opus", "spx", "m4a", "m4b", "aac", "aif",
    "aiff", "aifc", "ape", "wv",   "mka", "mpc", "ac3", "tta", "caf"};

// The reader a lower-cased extension names; None for any other.
FileFormat formatOfExtension(std::string_view extension);

// The reader the file's first bytes ask for; None when they ask for none
// or the file cannot be read.
FileFormat sniffFileFormat(const std::string& path);

}  // namespace nxss
