#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "mdb/MusicInfo.h"

namespace mdb {

// What the library knows of a file on disk.
struct FileStatus {
    uint64_t size = 0;
    int64_t modified = 0;  // seconds since 1970
};

// The tag and facts of an opened music file, as its information object
// gives them. Text is UTF-8.
struct TagInfo {
    std::string title;
    std::string artist;
    std::string album;
    std::string comment;
    uint32_t year = 0;
    uint32_t track = 0;     // 0 without a track number
    uint32_t genre = 255;   // 255 = none
    uint32_t playTime = 0;  // milliseconds
    uint64_t fileSize = 0;
    uint32_t kind = 0;  // 1 ID3v1, 2 RIFF, 4 WMA
};

// The tag fields to change in one commit; unset fields keep the file's
// values. Comment and track are always written together.
struct TagEdit {
    struct CommentTrack {
        std::string comment;
        uint32_t track = 0;
    };
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<uint32_t> year;
    std::optional<CommentTrack> commentTrack;
    std::optional<uint32_t> genre;

    bool empty() const { return !title && !artist && !album && !year && !commentTrack && !genre; }
};

enum class TagWriteResult {
    Written,
    Unreadable,   // the file cannot be opened as music
    WriteFailed,  // opened, but the commit failed
};

// The database's way into music files: reading tags, writing edits back,
// and the file status that drives synchronisation. Calls happen under the
// database lock and must not call back into the database.
class TagAccess {
  public:
    virtual ~TagAccess() = default;

    // Nothing when the file cannot be read as music.
    virtual std::optional<TagInfo> read(const std::string& path) = 0;
    virtual TagWriteResult write(const std::string& path, const TagEdit& edit) = 0;
    // The file's size and modification time; nothing when it is gone.
    virtual std::optional<FileStatus> status(const std::string& path);
};

// A record of a file from its tag, or with only the file's name as title
// when the tag could not be read. Size and time are left 0.
MusicInfo recordFromTag(std::string path, const std::optional<TagInfo>& tag);

// The record the library files for a music file: from its tag, with size
// and time only when the tag was read, so that the next synchronisation
// tries the tag again.
MusicInfo readFileRecord(TagAccess& tags, const std::string& path, const FileStatus& status);
// The same, asking for the status first: nothing when the file is gone.
std::optional<MusicInfo> readFileRecord(TagAccess& tags, const std::string& path);

}  // namespace mdb
