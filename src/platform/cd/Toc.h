#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::cd {

inline constexpr uint32_t kSectorBytes = 2352;          // one CD-DA sector
inline constexpr uint32_t kSectorsPerSecond = 75;       // CD frames per second
inline constexpr uint32_t kLeadInSectors = 150;         // address (LBA) = sector (LSN) + 150
inline constexpr uint32_t kPcmBytesPerSecond = 176400;  // 44100 Hz, 2 channels, 16 bits

struct TocTrack {
    int number = 0;  // as numbered on the disc (1..99)
    bool audio = false;
    uint32_t firstSector = 0;  // LSN: the first audio sector of the disc is 0
    uint32_t sectorCount = 0;  // up to the next track's start or the lead-out
};

// Titles a disc carries itself (CD-Text), UTF-8; empty without.
struct CdText {
    std::string title;
    std::string artist;
};

// A disc's table of contents.
struct Toc {
    std::vector<TocTrack> tracks;    // in disc order
    uint32_t leadOut = 0;            // LSN of the lead-out
    CdText text;                     // the disc's
    std::vector<CdText> trackTexts;  // by position in `tracks`; empty without CD-Text

    // The track numbered `number`, or null.
    const TocTrack* track(int number) const {
        for (const TocTrack& t : tracks) {
            if (t.number == number) {
                return &t;
            }
        }
        return nullptr;
    }

    bool hasAudio() const {
        for (const TocTrack& t : tracks) {
            if (t.audio) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace platform::cd
