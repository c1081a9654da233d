#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "mdb/ChangeNotifier.h"
#include "mdb/MusicInfo.h"
#include "mdb/MusicItem.h"
#include "mdb/RecordIO.h"

namespace mdb {

class GroupList;
class MusicDatabase;

// A named, ordered list of references to library items. Automatic groups
// (one artist, album or genre) are kept by their items; playlists derive
// from this class. Groups never own items.
class Group : public ChangeNotifier, public RecordSource {
  public:
    // `owner` is the automatic group list the group belongs to; playlists
    // have none.
    Group(MusicDatabase& db, std::string name, GroupList* owner);
    // Tells the listeners Destroyed.
    virtual ~Group();

    bool findFirst(const std::vector<MusicCriterion>& criteria, bool exact, size_t start,
                   size_t& index) const;
    bool findFirst(const MusicCriterion& criterion, bool exact, size_t start, size_t& index) const;
    bool findAll(const std::vector<MusicCriterion>& criteria, bool exact,
                 std::vector<MusicItem*>& items) const;
    bool findAll(const MusicCriterion& criterion, bool exact, std::vector<MusicItem*>& items) const;
    void sort(MusicInfo::Type type, bool ascending);
    // Throws std::out_of_range "too large" for an index beyond the list.
    MusicItem* itemAt(size_t index) const;
    size_t count() const;
    bool getInfo(const MusicItem* item, MusicInfo& out) const;
    std::string getName() const;
    void exportTo(const std::string& path, int format) const;
    virtual bool contains(const MusicItem* item) const;

    void enumerate(RecordWriter& writer) const override;

    // For the database's own containers; the caller holds the lock.
    const std::string& name() const { return name_; }
    void append(MusicItem* item);
    // Removes the reference to an item of an automatic group.
    void removeLinked(MusicItem* item);
    // Removes every reference to any of `items`; true when one was removed.
    virtual bool removeAllOf(const std::unordered_set<const MusicItem*>& items);

  protected:
    void onPending() override;
    std::unique_lock<std::recursive_mutex> lock() const;

    MusicDatabase& db_;
    std::string name_;
    std::vector<MusicItem*> items_;
    bool modified_ = false;

  private:
    GroupList* owner_;
};

}  // namespace mdb
