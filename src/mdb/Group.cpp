#include "mdb/Group.h"

#include <stdexcept>

#include "mdb/GroupList.h"
#include "mdb/ItemSearch.h"
#include "mdb/MusicDatabase.h"
#include "mdb/PlaylistFiles.h"

namespace mdb {

Group::Group(MusicDatabase& db, std::string name, GroupList* owner)
    : ChangeNotifier(db.mutex()), db_(db), name_(std::move(name)), owner_(owner) {}

Group::~Group() {
    auto guard = lock();
    deliver(ChangeKind::Destroyed);
}

std::unique_lock<std::recursive_mutex> Group::lock() const {
    return std::unique_lock(mutex());
}

bool Group::findFirst(const std::vector<MusicCriterion>& criteria, bool exact, size_t start,
                      size_t& index) const {
    auto guard = lock();
    return findFirstIn(items_, ItemMatcher(criteria, exact), start, index);
}

bool Group::findFirst(const MusicCriterion& criterion, bool exact, size_t start,
                      size_t& index) const {
    return findFirst(std::vector<MusicCriterion>{criterion}, exact, start, index);
}

bool Group::findAll(const std::vector<MusicCriterion>& criteria, bool exact,
                    std::vector<MusicItem*>& items) const {
    auto guard = lock();
    return findAllIn(items_, ItemMatcher(criteria, exact), items);
}

bool Group::findAll(const MusicCriterion& criterion, bool exact,
                    std::vector<MusicItem*>& items) const {
    return findAll(std::vector<MusicCriterion>{criterion}, exact, items);
}

void Group::sort(MusicInfo::Type type, bool ascending) {
    auto guard = lock();
    sortItems(items_, SortKey(type, ascending));
    modified_ = true;
    setPending(ChangeKind::Sorted);
    flush();
}

MusicItem* Group::itemAt(size_t index) const {
    auto guard = lock();
    if (index >= items_.size()) {
        throw std::out_of_range("too large");
    }
    return items_[index];
}

size_t Group::count() const {
    auto guard = lock();
    return items_.size();
}

bool Group::getInfo(const MusicItem* item, MusicInfo& out) const {
    auto guard = lock();
    if (!contains(item)) {
        return false;
    }
    out = item->getInfo();
    return true;
}

std::string Group::getName() const {
    auto guard = lock();
    return name_;
}

void Group::exportTo(const std::string& path, int format) const {
    auto guard = lock();
    exportToFile(db_.files(), *this, path, format);
}

bool Group::contains(const MusicItem* item) const {
    return item != nullptr && owner_ != nullptr && item->group(owner_->kind()) == this;
}

void Group::enumerate(RecordWriter& writer) const {
    for (const MusicItem* item : items_) {
        writer.write(item->getInfo());
    }
}

void Group::append(MusicItem* item) {
    items_.push_back(item);
    setPending(ChangeKind::Added);
}

void Group::removeLinked(MusicItem* item) {
    // Items unlink mostly in the order they were linked, so the search
    // from the back is short; an automatic group holds an item once.
    const auto it = std::find(items_.rbegin(), items_.rend(), item);
    if (it != items_.rend()) {
        items_.erase(std::next(it).base());
        setPending(ChangeKind::Removed);
    }
}

bool Group::removeAllOf(const std::unordered_set<const MusicItem*>& items) {
    const size_t removed =
        std::erase_if(items_, [&items](const MusicItem* item) { return items.contains(item); });
    if (removed > 0) {
        setPending(ChangeKind::Removed);
    }
    return removed > 0;
}

void Group::onPending() {
    if (owner_ != nullptr) {
        owner_->noteDirty(this);
    }
}

}  // namespace mdb
