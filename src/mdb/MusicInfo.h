#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mdb {

// The music record every part of the program exchanges. Text is UTF-8;
// the path is an absolute POSIX path.
struct MusicInfo {
    // One bit per field; a single value selects a sort field, an OR of
    // values is a search mask.
    enum Type : uint32_t {
        Path = 1,
        Title = 2,
        Artist = 4,
        Album = 8,
        Genre = 16,
        Comment = 32,
        Year = 64,
        Track = 128,
        PlayTime = 256,
        Size = 512,
        Modified = 1024,
    };
    static constexpr uint32_t kAllFields = 2047;
    static constexpr uint32_t kTextFields = Path | Title | Artist | Album | Comment;
    static constexpr uint32_t kNoGenre = 255;

    std::string path;
    std::string title;
    std::string artist;
    std::string album;
    uint32_t genre = kNoGenre;
    std::string comment;
    uint32_t year = 0;
    uint32_t track = 0;
    uint32_t playTime = 0;  // milliseconds
    uint32_t size = 0;      // bytes
    uint32_t modified = 0;  // the file's modification time, seconds since 1970

    bool operator==(const MusicInfo&) const = default;
};

// A search record: the fields selected by `mask` must match (AND); mask 0
// matches everything.
struct MusicCriterion : MusicInfo {
    uint32_t mask = 0;
};

// True when `type` is exactly one of the eleven field flags.
constexpr bool isSingleType(uint32_t type) {
    return type != 0 && (type & (type - 1)) == 0 && type <= MusicInfo::Modified;
}

// Index result meaning "nothing" (all bits set).
inline constexpr size_t kNoIndex = static_cast<size_t>(-1);

}  // namespace mdb
