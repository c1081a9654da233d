#include "mdb/GroupList.h"

#include <algorithm>

#include "mdb/Exceptions.h"
#include "mdb/MusicDatabase.h"
#include "mdb/TextRules.h"

namespace mdb {

GroupList::GroupList(MusicDatabase& db, GroupKind kind)
    : ChangeNotifier(db.mutex()), db_(db), kind_(kind) {}

GroupList::~GroupList() {
    auto guard = db_.lock();
    clear();
}

size_t GroupList::count() const {
    auto guard = db_.lock();
    return groups_.size();
}

std::vector<std::string> GroupList::getNames() const {
    auto guard = db_.lock();
    std::vector<std::string> names;
    names.reserve(groups_.size());
    for (const auto& entry : groups_) {
        names.push_back(entry.first);
    }
    std::sort(names.begin(), names.end(), lessIgnoreCase);
    return names;
}

Group& GroupList::get(const std::string& name) const {
    auto guard = db_.lock();
    const auto it = groups_.find(name);
    if (it == groups_.end()) {
        throw NotFoundException(name);
    }
    return *it->second;
}

Group* GroupList::addItem(const std::string& name, MusicItem* item) {
    auto it = groups_.find(name);
    if (it == groups_.end()) {
        it = groups_.emplace(name, std::make_unique<Group>(db_, name, this)).first;
        setPending(ChangeKind::Added);
    }
    Group* group = it->second.get();
    if (!group->contains(item)) {
        group->append(item);
    }
    return group;
}

void GroupList::removeItem(const std::string& name, MusicItem* item) {
    const auto it = groups_.find(name);
    if (it == groups_.end()) {
        return;
    }
    it->second->removeLinked(item);
    if (it->second->count() == 0) {
        erase(it);
    }
}

void GroupList::removeItems(const std::unordered_set<const MusicItem*>& items) {
    std::vector<Group*> touched;
    std::unordered_set<Group*> seen;
    for (const MusicItem* item : items) {
        Group* group = item->group(kind_);
        if (group != nullptr && seen.insert(group).second) {
            touched.push_back(group);
        }
    }
    for (Group* group : touched) {
        group->removeAllOf(items);
        if (group->count() == 0) {
            erase(groups_.find(group->name()));
        }
    }
}

void GroupList::clear() {
    dirty_.clear();
    flushing_.clear();
    if (groups_.empty()) {
        return;
    }
    Map doomed;
    doomed.swap(groups_);
    doomed.clear();
    setPending(ChangeKind::Removed);
}

void GroupList::flushAll() {
    auto guard = db_.lock();
    flushing_.merge(dirty_);
    dirty_.clear();
    // A listener may delete a group while others wait; erase() takes it
    // out of this set, so only live groups are flushed.
    while (!flushing_.empty()) {
        Group* group = *flushing_.begin();
        flushing_.erase(flushing_.begin());
        group->flush();
    }
    flush();
}

void GroupList::noteDirty(Group* group) {
    dirty_.insert(group);
}

void GroupList::erase(Map::iterator it) {
    Group* group = it->second.get();
    dirty_.erase(group);
    flushing_.erase(group);
    const std::unique_ptr<Group> doomed = std::move(it->second);
    groups_.erase(it);
    setPending(ChangeKind::Removed);
}

}  // namespace mdb
