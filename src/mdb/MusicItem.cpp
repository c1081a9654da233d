#include "mdb/MusicItem.h"

#include <algorithm>
#include <ctime>
#include <limits>

#include "mdb/Group.h"
#include "mdb/GroupList.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicItemList.h"

namespace mdb {

uint32_t currentTime() {
    return toStoredTime(static_cast<int64_t>(std::time(nullptr)));
}

uint32_t toStoredTime(int64_t seconds) {
    return static_cast<uint32_t>(
        std::clamp<int64_t>(seconds, 0, std::numeric_limits<uint32_t>::max()));
}

uint32_t toStoredSize(uint64_t bytes) {
    return static_cast<uint32_t>(std::min<uint64_t>(bytes, std::numeric_limits<uint32_t>::max()));
}

MusicItem::MusicItem(MusicDatabase& db, const MusicInfo& info)
    : db_(db),
      path_(info.path),
      title_(info.title),
      comment_(info.comment),
      genre_(info.genre),
      year_(info.year),
      track_(info.track),
      playTime_(info.playTime),
      size_(info.size),
      modified_(info.modified) {
    auto guard = db_.lock();
    groups_[0] = db_.groups(GroupKind::Artist).addItem(info.artist, this);
    groups_[1] = db_.groups(GroupKind::Album).addItem(info.album, this);
    groups_[2] = db_.groups(GroupKind::Genre).addItem(db_.genres().name(genre_), this);
}

MusicItem::~MusicItem() {
    auto guard = db_.lock();
    for (const GroupKind kind : {GroupKind::Artist, GroupKind::Album, GroupKind::Genre}) {
        if (Group* linked = group(kind)) {
            const std::string name = linked->name();
            db_.groups(kind).removeItem(name, this);
        }
    }
}

MusicInfo MusicItem::getInfo() const {
    auto guard = db_.lock();
    return MusicInfo{path_,
                     title_,
                     groupName(GroupKind::Artist),
                     groupName(GroupKind::Album),
                     genre_,
                     comment_,
                     year_,
                     track_,
                     playTime_,
                     size_,
                     modified_};
}

void MusicItem::setInfo(const MusicInfo& info) {
    auto guard = db_.lock();
    if (info.path != path_) {
        assignPath(info.path);
    }
    TagEdit edit;
    if (info.title != title_) {
        title_ = info.title;
        edit.title = title_;
    }
    if (info.artist != groupName(GroupKind::Artist)) {
        relink(GroupKind::Artist, info.artist);
        edit.artist = info.artist;
    }
    if (info.album != groupName(GroupKind::Album)) {
        relink(GroupKind::Album, info.album);
        edit.album = info.album;
    }
    if (info.genre != genre_) {
        relinkGenre(info.genre);
        edit.genre = genre_;
    }
    if (info.comment != comment_ || info.track != track_) {
        comment_ = info.comment;
        track_ = info.track;
        edit.commentTrack = TagEdit::CommentTrack{comment_, track_};
    }
    if (info.year != year_) {
        year_ = info.year;
        edit.year = year_;
    }
    textChanged();
    if (!edit.empty()) {
        commit(edit);
    }
    playTime_ = info.playTime;
    size_ = info.size;
    modifiedFlag_ = true;
    afterGroupEdit();
}

void MusicItem::setPath(const std::string& path) {
    auto guard = db_.lock();
    if (path != path_) {
        assignPath(path);
        modifiedFlag_ = true;
    }
    db_.itemChanged(this);
}

std::string MusicItem::getPath() const {
    auto guard = db_.lock();
    return path_;
}

void MusicItem::setTitle(const std::string& title) {
    auto guard = db_.lock();
    if (title != title_) {
        title_ = title;
        textChanged();
        TagEdit edit;
        edit.title = title_;
        commit(edit);
    }
    db_.itemChanged(this);
}

std::string MusicItem::getTitle() const {
    auto guard = db_.lock();
    return title_;
}

void MusicItem::setArtist(const std::string& artist) {
    auto guard = db_.lock();
    if (artist != groupName(GroupKind::Artist)) {
        relink(GroupKind::Artist, artist);
        TagEdit edit;
        edit.artist = artist;
        commit(edit);
    }
    afterGroupEdit();
}

std::string MusicItem::getArtist() const {
    auto guard = db_.lock();
    return groupName(GroupKind::Artist);
}

void MusicItem::setAlbum(const std::string& album) {
    auto guard = db_.lock();
    if (album != groupName(GroupKind::Album)) {
        relink(GroupKind::Album, album);
        TagEdit edit;
        edit.album = album;
        commit(edit);
    }
    afterGroupEdit();
}

std::string MusicItem::getAlbum() const {
    auto guard = db_.lock();
    return groupName(GroupKind::Album);
}

void MusicItem::setGenre(uint32_t genre) {
    auto guard = db_.lock();
    if (genre != genre_) {
        relinkGenre(genre);
        TagEdit edit;
        edit.genre = genre_;
        commit(edit);
    }
    afterGroupEdit();
}

uint32_t MusicItem::getGenre() const {
    auto guard = db_.lock();
    return genre_;
}

std::string MusicItem::getGenreName() const {
    auto guard = db_.lock();
    return groupName(GroupKind::Genre);
}

void MusicItem::setComment(const std::string& comment) {
    auto guard = db_.lock();
    if (comment != comment_) {
        comment_ = comment;
        textChanged();
        TagEdit edit;
        edit.commentTrack = TagEdit::CommentTrack{comment_, track_};
        commit(edit);
    }
    db_.itemChanged(this);
}

std::string MusicItem::getComment() const {
    auto guard = db_.lock();
    return comment_;
}

void MusicItem::setYear(uint32_t year) {
    auto guard = db_.lock();
    if (year != year_) {
        year_ = year;
        TagEdit edit;
        edit.year = year_;
        commit(edit);
    }
    db_.itemChanged(this);
}

uint32_t MusicItem::getYear() const {
    auto guard = db_.lock();
    return year_;
}

void MusicItem::setTrack(uint32_t track) {
    auto guard = db_.lock();
    if (track != track_) {
        track_ = track;
        TagEdit edit;
        edit.commentTrack = TagEdit::CommentTrack{comment_, track_};
        commit(edit);
    }
    db_.itemChanged(this);
}

uint32_t MusicItem::getTrack() const {
    auto guard = db_.lock();
    return track_;
}

void MusicItem::setPlayTime(uint32_t playTime) {
    auto guard = db_.lock();
    playTime_ = playTime;
    modifiedFlag_ = true;
    db_.itemChanged(this);
}

uint32_t MusicItem::getPlayTime() const {
    auto guard = db_.lock();
    return playTime_;
}

void MusicItem::setSize(uint32_t size) {
    auto guard = db_.lock();
    size_ = size;
    modifiedFlag_ = true;
    db_.itemChanged(this);
}

uint32_t MusicItem::getSize() const {
    auto guard = db_.lock();
    return size_;
}

void MusicItem::setModified(uint32_t modified) {
    auto guard = db_.lock();
    modified_ = modified;
    modifiedFlag_ = true;
    db_.itemChanged(this);
}

uint32_t MusicItem::getModified() const {
    auto guard = db_.lock();
    return modified_;
}

bool MusicItem::isModified() const {
    auto guard = db_.lock();
    return modifiedFlag_;
}

std::string_view MusicItem::text(MusicInfo::Type type) const {
    switch (type) {
        case MusicInfo::Path:
            return path_;
        case MusicInfo::Title:
            return title_;
        case MusicInfo::Artist:
            return groupName(GroupKind::Artist);
        case MusicInfo::Album:
            return groupName(GroupKind::Album);
        case MusicInfo::Genre:
            return groupName(GroupKind::Genre);
        case MusicInfo::Comment:
            return comment_;
        default:
            return {};
    }
}

uint32_t MusicItem::number(MusicInfo::Type type) const {
    switch (type) {
        case MusicInfo::Genre:
            return genre_;
        case MusicInfo::Year:
            return year_;
        case MusicInfo::Track:
            return track_;
        case MusicInfo::PlayTime:
            return playTime_;
        case MusicInfo::Size:
            return size_;
        case MusicInfo::Modified:
            return modified_;
        default:
            return 0;
    }
}

void MusicItem::takeFileTag(const TagInfo& tag, const FileStatus& status) {
    title_ = tag.title;
    if (tag.artist != groupName(GroupKind::Artist)) {
        relink(GroupKind::Artist, tag.artist);
    }
    if (tag.album != groupName(GroupKind::Album)) {
        relink(GroupKind::Album, tag.album);
    }
    if (tag.genre != genre_) {
        relinkGenre(tag.genre);
    }
    comment_ = tag.comment;
    year_ = tag.year;
    track_ = tag.track;
    playTime_ = tag.playTime;
    size_ = toStoredSize(status.size);
    modified_ = toStoredTime(status.modified);
    modifiedFlag_ = true;
    textChanged();
    db_.itemChanged(this);
}

TagWriteResult MusicItem::writeTagToFile() {
    const TagWriteResult result = db_.tags().write(path_, fullTagEdit());
    if (result == TagWriteResult::WriteFailed) {
        modified_ = currentTime();
    } else if (result == TagWriteResult::Written) {
        if (const auto status = db_.tags().status(path_)) {
            modified_ = toStoredTime(status->modified);
        }
    }
    return result;
}

void MusicItem::assignPath(const std::string& path) {
    // The library finds items by path; its index must not see the old
    // text change under it.
    MusicItemList& library = db_.library();
    const bool indexed = library.unindex(this);
    path_ = path;
    if (indexed) {
        library.index(this);
    }
    textChanged();
}

void MusicItem::relink(GroupKind kind, const std::string& name) {
    GroupList& list = db_.groups(kind);
    auto& link = groups_[static_cast<size_t>(kind)];
    const std::string oldName = link->name();
    list.removeItem(oldName, this);
    link = list.addItem(name, this);
    if (kind != GroupKind::Genre) {
        textChanged();
    }
}

void MusicItem::relinkGenre(uint32_t genre) {
    genre_ = genre;
    const std::string& name = db_.genres().name(genre);
    // Numbers that share a name (all the unnamed ones read "Unknown") keep
    // their group instead of dissolving and recreating it.
    if (name != groupName(GroupKind::Genre)) {
        relink(GroupKind::Genre, name);
    }
}

const std::string& MusicItem::groupName(GroupKind kind) const {
    return group(kind)->name();
}

TagEdit MusicItem::fullTagEdit() const {
    TagEdit edit;
    edit.title = title_;
    edit.artist = groupName(GroupKind::Artist);
    edit.album = groupName(GroupKind::Album);
    edit.genre = genre_;
    edit.commentTrack = TagEdit::CommentTrack{comment_, track_};
    edit.year = year_;
    return edit;
}

void MusicItem::commit(const TagEdit& edit) {
    const TagWriteResult result = db_.tags().write(path_, edit);
    if (result != TagWriteResult::Written) {
        // A stored time newer than the file's makes the next
        // synchronisation try the write again.
        modified_ = currentTime();
    } else if (const auto status = db_.tags().status(path_)) {
        modified_ = toStoredTime(status->modified);
    }
    modifiedFlag_ = true;
}

// Keeps the library's search index in step with the text fields.
void MusicItem::textChanged() {
    db_.library().textChanged(*this);
}

void MusicItem::afterGroupEdit() {
    db_.flushAll();
    db_.itemChanged(this);
}

}  // namespace mdb
