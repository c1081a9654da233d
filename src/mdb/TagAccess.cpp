#include "mdb/TagAccess.h"

#include <sys/stat.h>

#include "mdb/MusicItem.h"
#include "mdb/PathRules.h"

namespace mdb {

std::optional<FileStatus> TagAccess::status(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileStatus{static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)};
}

MusicInfo recordFromTag(std::string path, const std::optional<TagInfo>& tag) {
    MusicInfo record;
    record.path = std::move(path);
    if (!tag) {
        record.title = fileNameOf(record.path);
        return record;
    }
    record.title = tag->title;
    record.artist = tag->artist;
    record.album = tag->album;
    record.genre = tag->genre;
    record.comment = tag->comment;
    record.year = tag->year;
    record.track = tag->track;
    record.playTime = tag->playTime;
    return record;
}

MusicInfo readFileRecord(TagAccess& tags, const std::string& path, const FileStatus& status) {
    const auto tag = tags.read(path);
    MusicInfo record = recordFromTag(path, tag);
    if (tag) {
        record.size = toStoredSize(status.size);
        record.modified = toStoredTime(status.modified);
    }
    return record;
}

std::optional<MusicInfo> readFileRecord(TagAccess& tags, const std::string& path) {
    const auto status = tags.status(path);
    if (!status) {
        return std::nullopt;
    }
    return readFileRecord(tags, path, *status);
}

}  // namespace mdb
