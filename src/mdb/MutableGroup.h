#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "mdb/Group.h"

namespace mdb {

// A playlist: a group named by the user whose entries the user edits. An
// item may stand in it more than once. Every edit marks the playlist
// modified and flushes its notifications.
class MutableGroup : public Group, public ImportTarget {
  public:
    MutableGroup(MusicDatabase& db, std::string name);

    void clear();
    // `index` may equal count() (append); beyond it throws
    // std::out_of_range "too large".
    void insert(size_t index, const std::vector<MusicItem*>& items);
    void insert(size_t index, MusicItem* item);
    void removeAll(MusicItem* item);
    // Indices refer to the positions before the call; any index beyond the
    // list throws std::out_of_range "too large" before anything changes.
    void removeAt(const std::vector<size_t>& indices);
    void move(const std::vector<size_t>& indices, size_t target);
    void importReplacing(const std::string& path, int format, std::vector<std::string>& failed);
    // The same, telling by line what could not be taken.
    void importReplacing(const std::string& path, int format, ImportResult& result);
    void importAppending(const std::string& path, int format, std::vector<std::string>& failed);

    void setName(const std::string& name);
    bool isModified() const;
    bool contains(const MusicItem* item) const override;
    // Tells the listeners ItemChanged when the item stands in the list.
    void itemChanged(MusicItem* item);

    // Resolves each path read against the library. A path matching no item
    // is failed; one matching more than one item throws std::logic_error
    // "Not unique.".
    void readFrom(RecordReader& reader, ImportResult& result) override;

    // For the playlist set and the library; the caller holds the lock.
    bool removeAllOf(const std::unordered_set<const MusicItem*>& items) override;
    void clearModified() { modified_ = false; }

  private:
    void changed(ChangeKind kind);
    void tally(MusicItem* item, int delta);
    void import(const std::string& path, int format, ImportResult& result, bool replacing);

    std::unordered_map<const MusicItem*, size_t> counts_;
};

}  // namespace mdb
