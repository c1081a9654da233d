#pragma once

#include <cstdint>
#include <span>

#include "platform/cd/Toc.h"

namespace platform::cd {

// How audio sectors are read: Verified goes through jitter and error
// correction (overlapped, compared reads); Plain takes what the drive hands
// back, which is faster and is all an image file needs.
enum class ReadMode { Verified, Plain };

// A disc in a drive, opened for reading. Not thread-safe: one reader at a
// time.
class CdDisc {
  public:
    virtual ~CdDisc() = default;

    virtual const Toc& toc() const = 0;

    // Reads `count` whole raw sectors starting at LSN `first` into `out`
    // (at least count * kSectorBytes bytes). False on a read error. The
    // range must lie before the lead-out; the caller clamps.
    virtual bool readSectors(uint32_t first, uint32_t count, std::span<uint8_t> out) = 0;
};

}  // namespace platform::cd
