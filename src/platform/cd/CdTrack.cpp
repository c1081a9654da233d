#include "platform/cd/CdTrack.h"

#include <algorithm>

namespace platform::cd {

std::unique_ptr<CdTrack> CdTrack::open(std::unique_ptr<CdDisc> disc, int track, CdError& error) {
    if (!disc) {
        error = CdError::NoDisc;
        return nullptr;
    }
    const Toc& toc = disc->toc();
    const TocTrack* entry = toc.track(track);
    if (entry == nullptr || !entry->audio) {
        error = CdError::BadTrack;
        return nullptr;
    }
    // A damaged table may claim more than the disc holds; the lead-out wins.
    const uint32_t end = std::min(entry->firstSector + entry->sectorCount, toc.leadOut);
    if (end <= entry->firstSector) {
        error = CdError::ReadFailed;  // nothing to read: an image cut short
        return nullptr;
    }
    error = CdError::None;
    return std::unique_ptr<CdTrack>(new CdTrack(std::move(disc), entry->firstSector, end));
}

std::unique_ptr<CdTrack> CdTrack::open(const DriveList& drives, int driveNumber, int track,
                                       ReadMode mode, CdError& error) {
    const CdDrive* drive = drives.findByNumber(driveNumber);
    if (drive == nullptr) {
        error = CdError::NoSuchDrive;
        return nullptr;
    }
    return open(drive->openDisc(mode), track, error);
}

CdTrack::CdTrack(std::unique_ptr<CdDisc> disc, uint32_t first, uint32_t end)
    : disc_(std::move(disc)), first_(first), end_(end) {}

uint32_t CdTrack::lengthMs() const {
    const uint64_t bytes = static_cast<uint64_t>(sectorCount()) * kSectorBytes;
    return static_cast<uint32_t>(bytes / kPcmBytesPerSecond * 1000);
}

std::optional<uint32_t> CdTrack::read(uint32_t sector, uint32_t maxSectors,
                                      std::span<uint8_t> out) {
    if (sector < first_) {
        return std::nullopt;
    }
    if (sector >= end_) {
        return 0;
    }
    const uint32_t count = std::min(maxSectors, end_ - sector);
    if (out.size() < static_cast<size_t>(count) * kSectorBytes) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (disc_->readSectors(sector, count, out)) {
            return count;
        }
    }
    return std::nullopt;
}

}  // namespace platform::cd
