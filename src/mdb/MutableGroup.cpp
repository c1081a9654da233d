#include "mdb/MutableGroup.h"

#include <stdexcept>

#include "mdb/IndexEdits.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicItemList.h"
#include "mdb/PlaylistFiles.h"

namespace mdb {

MutableGroup::MutableGroup(MusicDatabase& db, std::string name)
    : Group(db, std::move(name), nullptr) {}

void MutableGroup::clear() {
    auto guard = lock();
    if (!items_.empty()) {
        items_.clear();
        counts_.clear();
        changed(ChangeKind::Removed);
    }
    flush();
}

void MutableGroup::insert(size_t index, const std::vector<MusicItem*>& items) {
    auto guard = lock();
    if (index > items_.size()) {
        throw std::out_of_range("too large");
    }
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), items.begin(), items.end());
    for (MusicItem* item : items) {
        tally(item, 1);
    }
    changed(ChangeKind::Added);
    flush();
}

void MutableGroup::insert(size_t index, MusicItem* item) {
    insert(index, std::vector<MusicItem*>{item});
}

void MutableGroup::removeAll(MusicItem* item) {
    auto guard = lock();
    removeAllOf({item});
    flush();
}

void MutableGroup::removeAt(const std::vector<size_t>& indices) {
    auto guard = lock();
    const std::vector<size_t> order = checkedIndices(indices, items_.size());
    std::vector<bool> doomed(items_.size(), false);
    for (const size_t index : order) {
        doomed[index] = true;
        tally(items_[index], -1);
    }
    size_t at = 0;
    std::erase_if(items_, [&](const MusicItem*) { return doomed[at++]; });
    changed(ChangeKind::Removed);
    flush();
}

void MutableGroup::move(const std::vector<size_t>& indices, size_t target) {
    auto guard = lock();
    moveBlock(items_, indices, target);
    changed(ChangeKind::Moved);
    flush();
}

void MutableGroup::importReplacing(const std::string& path, int format,
                                   std::vector<std::string>& failed) {
    ImportResult result;
    importReplacing(path, format, result);
    failed = std::move(result.failed);
}

void MutableGroup::importReplacing(const std::string& path, int format, ImportResult& result) {
    import(path, format, result, true);
}

void MutableGroup::importAppending(const std::string& path, int format,
                                   std::vector<std::string>& failed) {
    ImportResult result;
    import(path, format, result, false);
    failed = std::move(result.failed);
}

void MutableGroup::import(const std::string& path, int format, ImportResult& result,
                          bool replacing) {
    auto guard = lock();
    const PreparedImport prepared(path, format);
    if (replacing && !items_.empty()) {
        items_.clear();
        counts_.clear();
        changed(ChangeKind::Removed);
    }
    prepared.readInto(*this, db_.tags(), result);
    flush();
}

void MutableGroup::setName(const std::string& name) {
    auto guard = lock();
    name_ = name;
}

bool MutableGroup::isModified() const {
    auto guard = lock();
    return modified_;
}

bool MutableGroup::contains(const MusicItem* item) const {
    return counts_.contains(item);
}

void MutableGroup::itemChanged(MusicItem* item) {
    auto guard = lock();
    if (contains(item)) {
        deliverItemChanged();
    }
}

void MutableGroup::readFrom(RecordReader& reader, ImportResult& result) {
    std::string path;
    while (reader.nextPath(path)) {
        const std::vector<MusicItem*> found = db_.library().itemsWithPath(path);
        if (found.empty()) {
            result.problems.push_back({reader.line(), "not in the library: " + path});
            result.failed.push_back(path);
        } else if (found.size() > 1) {
            throw std::logic_error("Not unique.");
        } else {
            items_.push_back(found.front());
            tally(found.front(), 1);
            changed(ChangeKind::Added);
        }
    }
}

bool MutableGroup::removeAllOf(const std::unordered_set<const MusicItem*>& items) {
    const bool any = std::any_of(items.begin(), items.end(),
                                 [this](const MusicItem* item) { return contains(item); });
    if (!any) {
        return false;
    }
    std::erase_if(items_, [&items](const MusicItem* item) { return items.contains(item); });
    for (const MusicItem* item : items) {
        counts_.erase(item);
    }
    changed(ChangeKind::Removed);
    return true;
}

void MutableGroup::changed(ChangeKind kind) {
    modified_ = true;
    setPending(kind);
}

void MutableGroup::tally(MusicItem* item, int delta) {
    size_t& n = counts_[item];
    n = delta > 0 ? n + 1 : n - 1;
    if (n == 0) {
        counts_.erase(item);
    }
}

}  // namespace mdb
