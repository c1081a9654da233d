#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/wma/WmaError.h"

namespace platform::wma {

// Looks through an ASF header object (the bytes from the start of the file)
// for the marks of rights-managed content: the content-encryption objects,
// the advanced encryption and protection-system objects inside the header
// extension, and streams flagged as encrypted. Damaged or short headers are
// read as far as they go; they are not this check's concern.
Protection scanAsfProtection(std::span<const uint8_t> header);

// Scans the header object of a file. A file that cannot be read, or is not
// ASF, reports None (opening it fails on its own).
Protection detectAsfProtection(const std::filesystem::path& path);

}  // namespace platform::wma
