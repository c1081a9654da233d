#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/cd/CdDisc.h"
#include "platform/cd/DriveList.h"

namespace platform::cd {

enum class CdError {
    None,
    NoSuchDrive,  // no drive with that number or letter
    NoDisc,       // tray empty or the table of contents unreadable
    BadTrack,     // no such track, or not an audio track
    ReadFailed,   // every try of a sector read failed
};

// One audio track of a disc, open for raw reads of whole sectors. Sector
// numbers are the disc's (LSN); reads never go past the track's end.
class CdTrack {
  public:
    static constexpr uint32_t kSectorsPerRead = 27;  // 63504 bytes, one drive transfer
    static constexpr int kReadAttempts = 10;

    // Opens the track numbered `track` on the disc, the number its table of
    // contents gives (and `cd toc` lists), which is not its position when
    // the disc's first track is not 1. Null, with the reason in `error`,
    // when there is no such track, it holds data or it has no sectors.
    static std::unique_ptr<CdTrack> open(std::unique_ptr<CdDisc> disc, int track, CdError& error);
    // The same for the drive numbered `driveNumber` (letter - 'A').
    static std::unique_ptr<CdTrack> open(const DriveList& drives, int driveNumber, int track,
                                         ReadMode mode, CdError& error);

    uint32_t firstSector() const { return first_; }
    uint32_t endSector() const { return end_; }  // exclusive
    uint32_t sectorCount() const { return end_ - first_; }
    // The length in whole seconds, in milliseconds: 13500 sectors are 180000.
    uint32_t lengthMs() const;

    // Reads up to `maxSectors` sectors starting at `sector` into `out`,
    // stopping at the track's end; each failing read is tried again, up to
    // kReadAttempts tries in all. Returns the number of sectors read (0 at
    // the end), or nothing when every try failed or `sector` lies before
    // the track or `out` is too small.
    std::optional<uint32_t> read(uint32_t sector, uint32_t maxSectors, std::span<uint8_t> out);

  private:
    CdTrack(std::unique_ptr<CdDisc> disc, uint32_t first, uint32_t end);

    std::unique_ptr<CdDisc> disc_;
    uint32_t first_;
    uint32_t end_;
};

}  // namespace platform::cd
