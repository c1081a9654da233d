#pragma once

#include <functional>
#include <string>

// Changes a file on a copy beside it that then replaces it: the file is the
// old one or the new one, never a half-written mix, and keeps its
// permissions (and owner, where allowed). A symbolic link stays a link to
// the rewritten file. A file that cannot be opened for writing is refused
// as an in-place write would refuse it. `edit` changes the copy at the path
// it is given and throws, or returns false for an I/O failure. Throws
// CNxSSException (0x80070000 | errno).
void rewriteThroughCopy(const std::string& path,
                        const std::function<bool(const std::string&)>& edit);
