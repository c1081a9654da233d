#pragma once

#include <string>
#include <string_view>

namespace mdb {

// Path rules of the library and playlist files. Paths are POSIX: '/'
// separates, a leading '/' makes a path absolute. Stored paths written on
// other systems may use '\', which reads as '/'.

bool isAbsolutePath(std::string_view path);
// The directory part of `path` (everything before its last '/'), or
// nothing when there is no '/'. "/x.m3u" has the directory "".
bool directoryOf(std::string_view path, std::string& dir);
// The text after the last '/'.
std::string fileNameOf(std::string_view path);
// The text after the last '.', or "" when there is none.
std::string extensionOf(std::string_view path);
// `dir` + '/' + `name`, without doubling a trailing '/'.
std::string joinPath(std::string_view dir, std::string_view name);
// `path` relative to `dir` when it lies inside it, else `path` unchanged.
std::string relativeForm(std::string_view path, std::string_view dir);
// A stored path made absolute against `dir`.
std::string resolvePath(std::string_view stored, std::string_view dir);

}  // namespace mdb
