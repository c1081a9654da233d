#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mdb/ChangeNotifier.h"
#include "mdb/Group.h"

namespace mdb {

// The automatic groups of one kind (artist, album or genre), by exact
// name. A group exists while at least one item is linked into it.
class GroupList : public ChangeNotifier {
  public:
    GroupList(MusicDatabase& db, GroupKind kind);
    ~GroupList();

    size_t count() const;
    // All names, ordered ignoring ASCII case.
    std::vector<std::string> getNames() const;
    // Throws NotFoundException(name) when there is no such group.
    Group& get(const std::string& name) const;

    // For the items; the caller holds the lock.
    GroupKind kind() const { return kind_; }
    Group* addItem(const std::string& name, MusicItem* item);
    void removeItem(const std::string& name, MusicItem* item);
    // Drops many items at once (library removals); their links are left
    // for the caller to clear.
    void removeItems(const std::unordered_set<const MusicItem*>& items);
    // Deletes every group.
    void clear();
    // Flushes the groups with pending changes, then the list itself.
    void flushAll();
    void noteDirty(Group* group);

  private:
    using Map = std::unordered_map<std::string, std::unique_ptr<Group>>;
    void erase(Map::iterator it);

    MusicDatabase& db_;
    GroupKind kind_;
    Map groups_;
    std::unordered_set<Group*> dirty_;
    std::unordered_set<Group*> flushing_;
};

}  // namespace mdb
