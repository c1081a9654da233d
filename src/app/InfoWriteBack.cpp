#include "app/InfoWriteBack.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/AppTexts.h"

namespace app {

namespace {

std::optional<TagFileWrite> unwritable(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? TagFileWrite::Missing : TagFileWrite::Failed;
    }
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
        return TagFileWrite::ReadOnly;
    }
    return std::nullopt;
}

mdb::TagInfo tagOf(const mdb::MusicInfo& record) {
    mdb::TagInfo tag;
    tag.title = record.title;
    tag.artist = record.artist;
    tag.album = record.album;
    tag.comment = record.comment;
    tag.year = record.year;
    tag.track = record.track;
    tag.genre = record.genre;
    tag.playTime = record.playTime;
    return tag;
}

}  // namespace

mdb::TagEdit tagEditBetween(const mdb::MusicInfo& before, const mdb::MusicInfo& after) {
    mdb::TagEdit edit;
    if (after.title != before.title) {
        edit.title = after.title;
    }
    if (after.artist != before.artist) {
        edit.artist = after.artist;
    }
    if (after.album != before.album) {
        edit.album = after.album;
    }
    if (after.year != before.year) {
        edit.year = after.year;
    }
    if (after.comment != before.comment || after.track != before.track) {
        edit.commentTrack = mdb::TagEdit::CommentTrack{after.comment, after.track};
    }
    if (after.genre != before.genre) {
        edit.genre = after.genre;
    }
    return edit;
}

TagFileWrite writeTagToFile(StreamTagAccess& tags, const std::string& path,
                            const mdb::TagEdit& edit) {
    if (const auto refused = unwritable(path)) {
        return *refused;
    }
    const auto facts = tags.facts(path);
    if (!facts) {
        return TagFileWrite::Failed;
    }
    if (facts->kind == CNxSSInfo::kRiff) {
        return TagFileWrite::NoTag;
    }
    return tags.write(path, edit) == mdb::TagWriteResult::Written ? TagFileWrite::Written
                                                                  : TagFileWrite::Failed;
}

std::string_view questionFor(TagFileWrite outcome) {
    switch (outcome) {
        case TagFileWrite::Missing:
            return texts::kTagFileMissing;
        case TagFileWrite::ReadOnly:
            return texts::kTagFileReadOnly;
        case TagFileWrite::Failed:
            return texts::kTagFileFailed;
        case TagFileWrite::Written:
        case TagFileWrite::NoTag:
            break;
    }
    return {};
}

void storeEdit(mdb::MusicDatabase& db, mdb::MusicItem& item, const mdb::MusicInfo& edited,
               TagFileWrite outcome) {
    auto guard = db.lock();
    const mdb::MusicInfo before = item.getInfo();
    mdb::FileStatus status{before.size, mdb::currentTime()};
    if (outcome == TagFileWrite::Written || outcome == TagFileWrite::NoTag) {
        status =
            db.tags().status(before.path).value_or(mdb::FileStatus{before.size, before.modified});
    }
    mdb::TagInfo tag = tagOf(edited);
    tag.playTime = before.playTime;
    item.takeFileTag(tag, status);
    db.flushAll();
}

}  // namespace app
