#pragma once

#include <string>
#include <vector>

namespace app {

// The music files behind the paths a user names, as absolute paths: a
// folder stands for the files below it (searched recursively, sorted)
// whose extension is one of `extensions` (lowercase, without the dot);
// anything else stands for itself, so that adding it reports why it fails.
std::vector<std::string> expandMusicPaths(const std::vector<std::string>& paths,
                                          const std::vector<std::string>& extensions);

// `path` made absolute against the current folder, without "." and "..".
std::string absolutePath(const std::string& path);

// The playlist file format a file name asks for: ".csv" the library
// format, ".m3u" M3U, ".pls" PLS (ignoring case). Throws
// std::invalid_argument "unknown file format" for other names.
int fileFormatFor(const std::string& path);

}  // namespace app
