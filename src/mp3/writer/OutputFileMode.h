#pragma once

#include <sys/types.h>

#include <string>

// Output files are made under a private temporary name and moved onto their
// target; these give the result the permissions and durability of a file
// written in place.

// The permission bits of the file the output replaces, or for a new file
// what the user's umask leaves of rw-rw-rw-.
mode_t OutputFileMode(const std::string& target);

// Gives a committed output its permission bits and flushes it and its folder
// to disk. Throws CNxSSException(0x80070000 | errno) when the flush fails.
void SettleOutputFile(const std::string& path, mode_t mode);
