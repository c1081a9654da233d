#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "mdb/MusicInfo.h"
#include "mdb/TagAccess.h"

namespace mdb {

class Group;
class MusicDatabase;

// The three automatic groupings an item is linked into.
enum class GroupKind { Artist = 0, Album = 1, Genre = 2 };

// A library entry. Its artist, album and genre names are those of the
// groups it is linked into. Edits of tag fields are written through to the
// file; the stored modification time records whether the file has the
// edit (equal to the file's time) or still lacks it (newer than the file).
class MusicItem {
  public:
    // Links the item into its artist, album and genre groups.
    MusicItem(MusicDatabase& db, const MusicInfo& info);
    // Unlinks the item from the groups it is still linked into.
    ~MusicItem();
    MusicItem(const MusicItem&) = delete;
    MusicItem& operator=(const MusicItem&) = delete;

    MusicInfo getInfo() const;
    // Applies every field but the modification time; tag fields that
    // differ are written to the file in one commit.
    void setInfo(const MusicInfo& info);

    void setPath(const std::string& path);
    std::string getPath() const;
    void setTitle(const std::string& title);
    std::string getTitle() const;
    void setArtist(const std::string& artist);
    std::string getArtist() const;
    void setAlbum(const std::string& album);
    std::string getAlbum() const;
    void setGenre(uint32_t genre);
    uint32_t getGenre() const;
    std::string getGenreName() const;
    void setComment(const std::string& comment);
    std::string getComment() const;
    void setYear(uint32_t year);
    uint32_t getYear() const;
    void setTrack(uint32_t track);
    uint32_t getTrack() const;
    void setPlayTime(uint32_t playTime);
    uint32_t getPlayTime() const;
    void setSize(uint32_t size);
    uint32_t getSize() const;
    void setModified(uint32_t modified);
    uint32_t getModified() const;

    bool isModified() const;

    // The following serve the database's own containers; the caller holds
    // the database lock.
    const std::string& pathRef() const { return path_; }
    // A text field (path, title, artist, album, comment, or the genre name).
    std::string_view text(MusicInfo::Type type) const;
    uint32_t number(MusicInfo::Type type) const;
    Group* group(GroupKind kind) const { return groups_[static_cast<size_t>(kind)]; }
    // Where the library's search index holds the item's text.
    uint32_t searchSlot() const { return searchSlot_; }
    void setSearchSlot(uint32_t slot) { searchSlot_ = slot; }
    // Forgets the group links after the groups dropped the item in bulk.
    void detachGroups() { groups_ = {}; }
    void clearModified() { modifiedFlag_ = false; }
    // Takes a tag the file was changed to by another program. Nothing is
    // written back: the file already holds these values.
    void takeFileTag(const TagInfo& tag, const FileStatus& status);
    // Writes every tag field into the file. Returns the outcome; the stored
    // time follows the file on success and is set to now on a failed
    // commit.
    TagWriteResult writeTagToFile();

  private:
    void assignPath(const std::string& path);
    void relink(GroupKind kind, const std::string& name);
    void relinkGenre(uint32_t genre);
    const std::string& groupName(GroupKind kind) const;
    TagEdit fullTagEdit() const;
    void commit(const TagEdit& edit);
    void afterGroupEdit();
    void textChanged();

    MusicDatabase& db_;
    std::string path_;
    std::string title_;
    std::string comment_;
    uint32_t genre_;
    uint32_t year_;
    uint32_t track_;
    uint32_t playTime_;
    uint32_t size_;
    uint32_t modified_;
    bool modifiedFlag_ = false;
    std::array<Group*, 3> groups_{};
    uint32_t searchSlot_ = UINT32_MAX;
};

// Time helpers of the modification-time protocol.
uint32_t currentTime();
uint32_t toStoredTime(int64_t seconds);
uint32_t toStoredSize(uint64_t bytes);

}  // namespace mdb
