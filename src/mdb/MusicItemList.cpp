#include "mdb/MusicItemList.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "mdb/Exceptions.h"
#include "mdb/GroupList.h"
#include "mdb/IndexEdits.h"
#include "mdb/ItemSearch.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MutableGroupList.h"
#include "mdb/PathRules.h"
#include "mdb/PlaylistFiles.h"
#include "mdb/TextRules.h"

namespace mdb {

size_t MusicItemList::FoldHash::operator()(std::string_view path) const {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : path) {
        hash = (hash ^ static_cast<unsigned char>(lowerAscii(c))) * 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}

bool MusicItemList::FoldEqual::operator()(std::string_view a, std::string_view b) const {
    return equalsIgnoreCase(a, b);
}

MusicItemList::MusicItemList(MusicDatabase& db) : ChangeNotifier(db.mutex()), db_(db) {}

MusicItemList::~MusicItemList() {
    auto guard = db_.lock();
    deleteItems();
}

bool MusicItemList::findFirst(const std::vector<MusicCriterion>& criteria, bool exact, size_t start,
                              size_t& index) const {
    auto guard = db_.lock();
    const auto hits = matching(criteria, exact);
    for (size_t i = start; i < items_.size() && !hits.empty(); ++i) {
        if (hits.contains(items_[i].get())) {
            index = i;
            return true;
        }
    }
    return false;
}

bool MusicItemList::findFirst(const MusicCriterion& criterion, bool exact, size_t start,
                              size_t& index) const {
    return findFirst(std::vector<MusicCriterion>{criterion}, exact, start, index);
}

bool MusicItemList::findAll(const std::vector<MusicCriterion>& criteria, bool exact,
                            std::vector<MusicItem*>& items) const {
    auto guard = db_.lock();
    const auto hits = matching(criteria, exact);
    items.clear();
    for (size_t i = 0; i < items_.size() && items.size() < hits.size(); ++i) {
        if (hits.contains(items_[i].get())) {
            items.push_back(items_[i].get());
        }
    }
    return !items.empty();
}

// The index is read front to back, so the matching items are found in
// index order; the callers put them in list order.
ItemSet MusicItemList::matching(const std::vector<MusicCriterion>& criteria, bool exact) const {
    const ItemMatcher matcher(criteria, exact);
    ItemSet hits;
    search_.forEach([&](const SearchIndex::Fields& fields, const MusicItem& item) {
        if (matcher.matches(fields, item)) {
            hits.insert(&item);
        }
    });
    return hits;
}

bool MusicItemList::findAll(const MusicCriterion& criterion, bool exact,
                            std::vector<MusicItem*>& items) const {
    return findAll(std::vector<MusicCriterion>{criterion}, exact, items);
}

void MusicItemList::sort(MusicInfo::Type type, bool ascending) {
    auto guard = db_.lock();
    sortItems(items_, SortKey(type, ascending));
    positionsValid_ = false;
    changed(ChangeKind::Sorted);
    flush();
}

MusicItem* MusicItemList::itemAt(size_t index) const {
    auto guard = db_.lock();
    if (index >= items_.size()) {
        throw std::out_of_range("too large");
    }
    return items_[index].get();
}

size_t MusicItemList::count() const {
    auto guard = db_.lock();
    return items_.size();
}

bool MusicItemList::getInfo(const MusicItem* item, MusicInfo& out) const {
    auto guard = db_.lock();
    if (!positions().contains(item)) {
        return false;
    }
    out = item->getInfo();
    return true;
}

void MusicItemList::exportTo(const std::string& path, int format) const {
    auto guard = db_.lock();
    exportToFile(db_.files(), *this, path, format);
}

void MusicItemList::importReplacing(const std::string& path, int format,
                                    std::vector<std::string>& failed) {
    ImportResult result;
    importReplacing(path, format, result);
    failed = std::move(result.failed);
}

void MusicItemList::importReplacing(const std::string& path, int format, ImportResult& result) {
    import(path, format, result, true);
}

void MusicItemList::importAppending(const std::string& path, int format,
                                    std::vector<std::string>& failed) {
    ImportResult result;
    import(path, format, result, false);
    failed = std::move(result.failed);
}

void MusicItemList::import(const std::string& path, int format, ImportResult& result,
                           bool replacing) {
    auto guard = db_.lock();
    const PreparedImport prepared(path, format);
    if (replacing) {
        clear();
    }
    prepared.readInto(*this, db_.tags(), result);
    modified_ = true;
    flush();
}

void MusicItemList::addFiles(const std::vector<std::string>& paths, std::vector<size_t>& indices) {
    auto guard = db_.lock();
    indices.clear();
    for (const std::string& path : paths) {
        indices.push_back(addFile(path));
    }
    flush();
}

size_t MusicItemList::addFile(const std::string& path) {
    auto guard = db_.lock();
    if (!isAbsolutePath(path)) {
        throw std::invalid_argument("Not absolute path.");
    }
    if (!accepts(path)) {
        return kNoIndex;
    }
    const auto status = db_.tags().status(path);
    if (!status) {
        throw FileIOException(path);
    }
    if (const MusicItem* existing = firstWithPath(path)) {
        return indexOf(existing);
    }
    const size_t index = addRecord(readFileRecord(db_.tags(), path, *status), false);
    flush();
    return index;
}

std::vector<size_t> MusicItemList::addRecords(const std::vector<MusicInfo>& records) {
    auto guard = db_.lock();
    std::vector<size_t> indices;
    indices.reserve(records.size());
    for (const MusicInfo& record : records) {
        try {
            indices.push_back(addRecord(record, false));
        } catch (const std::invalid_argument&) {
            indices.push_back(kNoIndex);
        }
    }
    flush();
    return indices;
}

size_t MusicItemList::add(const MusicInfo& record, bool writeTag) {
    auto guard = db_.lock();
    const size_t index = addRecord(record, writeTag);
    flush();
    return index;
}

size_t MusicItemList::addRecord(const MusicInfo& record, bool writeTag) {
    if (!isAbsolutePath(record.path)) {
        throw std::invalid_argument("Not absolute path.");
    }
    if (!accepts(record.path) || record.path.size() >= PATH_MAX) {
        return kNoIndex;
    }
    if (const MusicItem* existing = firstWithPath(record.path)) {
        return indexOf(existing);
    }
    items_.push_back(std::make_unique<MusicItem>(db_, record));
    MusicItem* item = items_.back().get();
    index(item);
    search_.insert(*item);
    if (positionsValid_) {
        positions_.emplace(item, items_.size() - 1);
    }
    if (writeTag) {
        item->writeTagToFile();
    }
    changed(ChangeKind::Added);
    return items_.size() - 1;
}

void MusicItemList::remove(MusicItem* item) {
    auto guard = db_.lock();
    if (positions().contains(item)) {
        removeItems({item});
    }
}

void MusicItemList::removeAt(const std::vector<size_t>& indices) {
    auto guard = db_.lock();
    std::vector<MusicItem*> doomed;
    for (const size_t index : checkedIndices(indices, items_.size())) {
        doomed.push_back(items_[index].get());
    }
    removeItems(doomed);
}

void MusicItemList::removeAt(size_t index) {
    removeAt(std::vector<size_t>{index});
}

void MusicItemList::removeItems(const std::vector<MusicItem*>& items) {
    if (items.empty()) {
        return;
    }
    const std::unordered_set<const MusicItem*> doomed(items.begin(), items.end());
    db_.playlists().removeReferences(doomed);
    for (const GroupKind kind : {GroupKind::Artist, GroupKind::Album, GroupKind::Genre}) {
        db_.groups(kind).removeItems(doomed);
    }
    for (MusicItem* item : items) {
        unindex(item);
        search_.erase(*item);
        item->detachGroups();
    }
    std::erase_if(items_, [&doomed](const auto& item) { return doomed.contains(item.get()); });
    positionsValid_ = false;
    changed(ChangeKind::Removed);
}

void MusicItemList::move(const std::vector<size_t>& indices, size_t target) {
    auto guard = db_.lock();
    moveBlock(items_, indices, target);
    positionsValid_ = false;
    changed(ChangeKind::Moved);
}

void MusicItemList::clear() {
    auto guard = db_.lock();
    deleteItems();
    db_.flushAll();
}

void MusicItemList::deleteItems() {
    if (!items_.empty()) {
        db_.playlists().clearEntries();
        for (const auto& item : items_) {
            item->detachGroups();
        }
        for (const GroupKind kind : {GroupKind::Artist, GroupKind::Album, GroupKind::Genre}) {
            db_.groups(kind).clear();
        }
        byPath_.clear();
        search_.clear();
        positions_.clear();
        positionsValid_ = true;
        items_.clear();
        changed(ChangeKind::Removed);
    }
}

void MusicItemList::synchronize() {
    auto guard = db_.lock();
    std::vector<MusicItem*> gone;
    for (const auto& item : items_) {
        if (!synchronizeItem(*item)) {
            gone.push_back(item.get());
        }
    }
    // A file that is gone takes its item out of every playlist and group
    // too, so nothing refers to a deleted item.
    removeItems(gone);
    db_.flushAll();
}

bool MusicItemList::synchronizeItem(MusicItem& item) {
    const auto status = db_.tags().status(item.pathRef());
    if (!status) {
        return false;
    }
    const uint32_t fileTime = toStoredTime(status->modified);
    const uint32_t storedTime = item.number(MusicInfo::Modified);
    if (storedTime < fileTime) {
        // Changed by another program: take its tag as it is.
        if (const auto tag = db_.tags().read(item.pathRef())) {
            item.takeFileTag(*tag, *status);
            modified_ = true;
        }
    } else if (storedTime > fileTime) {
        // An edit the file does not have yet (its write failed): try again.
        if (item.writeTagToFile() != TagWriteResult::Unreadable) {
            modified_ = true;
        }
    }
    return true;
}

void MusicItemList::addExtension(const std::string& extension) {
    auto guard = db_.lock();
    std::string lower = toLowerAscii(extension);
    if (std::find(extensions_.begin(), extensions_.end(), lower) == extensions_.end()) {
        extensions_.push_back(std::move(lower));
    }
}

std::vector<std::string> MusicItemList::getExtensions() const {
    auto guard = db_.lock();
    return extensions_;
}

size_t MusicItemList::indexOf(const MusicItem* item) const {
    auto guard = db_.lock();
    const auto& map = positions();
    const auto it = map.find(item);
    if (it == map.end()) {
        throw NotFoundException();
    }
    return it->second;
}

bool MusicItemList::isModified() const {
    auto guard = db_.lock();
    return modified_ || std::any_of(items_.begin(), items_.end(),
                                    [](const auto& item) { return item->isModified(); });
}

void MusicItemList::enumerate(RecordWriter& writer) const {
    for (const auto& item : items_) {
        writer.write(item->getInfo());
    }
}

void MusicItemList::readFrom(RecordReader& reader, ImportResult& result) {
    MusicInfo record;
    while (reader.nextRecord(record)) {
        const size_t before = items_.size();
        if (addRecord(record, false) == kNoIndex) {
            result.problems.push_back(
                {reader.line(), "not a music file the library takes: " + record.path});
            result.failed.push_back(std::move(record.path));
        } else if (items_.size() == before) {
            result.problems.push_back({reader.line(), "already in the library: " + record.path});
        }
    }
}

std::vector<MusicItem*> MusicItemList::itemsWithPath(std::string_view path) const {
    std::vector<MusicItem*> found;
    const auto [first, last] = byPath_.equal_range(path);
    for (auto it = first; it != last; ++it) {
        found.push_back(it->second);
    }
    return found;
}

MusicItem* MusicItemList::firstWithPath(std::string_view path) const {
    const auto it = byPath_.find(path);
    return it == byPath_.end() ? nullptr : it->second;
}

bool MusicItemList::unindex(MusicItem* item) {
    const auto [first, last] = byPath_.equal_range(item->pathRef());
    for (auto it = first; it != last; ++it) {
        if (it->second == item) {
            byPath_.erase(it);
            return true;
        }
    }
    return false;
}

void MusicItemList::index(MusicItem* item) {
    byPath_.emplace(item->pathRef(), item);
}

void MusicItemList::textChanged(const MusicItem& item) {
    search_.update(item);
}

void MusicItemList::clearModified() {
    modified_ = false;
    for (const auto& item : items_) {
        item->clearModified();
    }
}

bool MusicItemList::accepts(std::string_view path) const {
    const std::string extension = toLowerAscii(extensionOf(path));
    return std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}

void MusicItemList::changed(ChangeKind kind) {
    modified_ = true;
    setPending(kind);
}

const std::unordered_map<const MusicItem*, size_t>& MusicItemList::positions() const {
    if (!positionsValid_) {
        positions_.clear();
        positions_.reserve(items_.size());
        for (size_t i = 0; i < items_.size(); ++i) {
            positions_.emplace(items_[i].get(), i);
        }
        positionsValid_ = true;
    }
    return positions_;
}

}  // namespace mdb
