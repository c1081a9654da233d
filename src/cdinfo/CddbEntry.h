#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdinfo {

struct CddbTrackText {
    std::string title;
    std::string artist;
    std::string extra;  // EXTTn
};

// What the program keeps per track beside the titles: the recording state
// and the file written. Kept in the local database only, never sent.
struct CddbTrackState {
    int state = 0;
    std::string path;
};

// One disc entry in the freedb (xmcd) format. Texts are UTF-8.
struct CddbEntry {
    std::vector<uint32_t> offsets;  // "# Track frame offsets"
    uint32_t discSeconds = 0;       // "# Disc length"
    int revision = -1;              // "# Revision"; -1 when not stated
    std::string submittedVia;
    std::vector<uint32_t> discIds;  // DISCID, possibly several
    std::string artist;             // DTITLE before " / "
    std::string title;              // DTITLE after " / ", or all of it
    std::string year;               // DYEAR
    std::string genre;              // DGENRE
    std::string extra;              // EXTD
    std::string playOrder;          // PLAYORDER
    std::vector<CddbTrackText> tracks;
    std::vector<CddbTrackState> states;

    // The number of tracks the entry speaks of (offsets or titles).
    size_t trackCount() const;
};

inline constexpr size_t kMaxCddbTracks = 99;
inline constexpr size_t kMaxCddbLineBytes = 256;

// Reads an entry leniently: unknown and broken lines are skipped. Nothing
// when the text holds no entry at all.
std::optional<CddbEntry> parseCddbEntry(std::string_view utf8);

// Writes the entry exactly in the freedb format (every keyword present,
// long values split over lines of at most 256 bytes). With programState the
// per-track states and paths follow as comment lines.
std::string renderCddbEntry(const CddbEntry& entry, bool programState);

}  // namespace cdinfo
