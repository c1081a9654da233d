#include "mdb/MutableGroupList.h"

#include <algorithm>
#include <stdexcept>

#include "mdb/Exceptions.h"
#include "mdb/MusicDatabase.h"
#include "mdb/TextRules.h"
#include "platform/TextCodec.h"

namespace mdb {

namespace {

void checkName(std::string_view name) {
    if (const auto problem = MutableGroupList::nameProblem(name)) {
        throw std::invalid_argument(*problem);
    }
}

}  // namespace

MutableGroupList::MutableGroupList(MusicDatabase& db) : ChangeNotifier(db.mutex()), db_(db) {}

MutableGroupList::~MutableGroupList() {
    auto guard = db_.lock();
    auto doomed = std::move(lists_);
    lists_.clear();
}

size_t MutableGroupList::count() const {
    auto guard = db_.lock();
    return lists_.size();
}

std::vector<std::string> MutableGroupList::getNames() const {
    auto guard = db_.lock();
    std::vector<std::string> names;
    names.reserve(lists_.size());
    for (const auto& entry : lists_) {
        names.push_back(entry.first);
    }
    std::sort(names.begin(), names.end(), lessIgnoreCase);
    return names;
}

MutableGroup& MutableGroupList::get(const std::string& name) const {
    auto guard = db_.lock();
    const auto it = lists_.find(name);
    if (it == lists_.end()) {
        throw NotFoundException(name);
    }
    return *it->second;
}

MutableGroup& MutableGroupList::create(const std::string& name) {
    auto guard = db_.lock();
    checkName(name);
    auto it = lists_.find(name);
    if (it == lists_.end()) {
        it = lists_.emplace(name, std::make_unique<MutableGroup>(db_, name)).first;
        modified_ = true;
        setPending(ChangeKind::Added);
    }
    flush();
    return *it->second;
}

void MutableGroupList::remove(const std::vector<std::string>& names) {
    auto guard = db_.lock();
    for (const std::string& name : names) {
        eraseIfPresent(name);
    }
    flush();
}

void MutableGroupList::remove(const std::string& name) {
    auto guard = db_.lock();
    eraseIfPresent(name);
}

void MutableGroupList::rename(const std::string& oldName, const std::string& newName) {
    auto guard = db_.lock();
    checkName(newName);
    if (lists_.contains(newName)) {
        throw AlreadyExistsException(newName);
    }
    const auto it = lists_.find(oldName);
    if (it == lists_.end()) {
        throw NotFoundException(oldName);
    }
    std::unique_ptr<MutableGroup> list = std::move(it->second);
    lists_.erase(it);
    list->setName(newName);
    lists_.emplace(newName, std::move(list));
    modified_ = true;
}

void MutableGroupList::clear() {
    auto guard = db_.lock();
    if (!lists_.empty()) {
        // Destroyed listeners may look at the set: empty it before the
        // playlists go.
        auto doomed = std::move(lists_);
        lists_.clear();
        doomed.clear();
        modified_ = true;
        setPending(ChangeKind::Removed);
    }
    flush();
}

bool MutableGroupList::isModified() const {
    auto guard = db_.lock();
    return modified_ || std::any_of(lists_.begin(), lists_.end(),
                                    [](const auto& entry) { return entry.second->isModified(); });
}

std::optional<std::string> MutableGroupList::nameProblem(std::string_view name) {
    if (name.empty()) {
        return "a playlist needs a name";
    }
    if (name.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
        return "a playlist name cannot hold a line break or a NUL byte";
    }
    if (!platform::isValidUtf8(name)) {
        return "a playlist name must be UTF-8 text";
    }
    if (name.size() > kMaxNameBytes) {
        return "a playlist name cannot be longer than " + std::to_string(kMaxNameBytes) + " bytes";
    }
    return std::nullopt;
}

void MutableGroupList::flushAll() {
    for (auto& entry : lists_) {
        entry.second->flush();
    }
    flush();
}

void MutableGroupList::clearModified() {
    modified_ = false;
    for (auto& entry : lists_) {
        entry.second->clearModified();
    }
}

void MutableGroupList::removeReferences(const std::unordered_set<const MusicItem*>& items) {
    for (auto& entry : lists_) {
        if (entry.second->removeAllOf(items)) {
            entry.second->flush();
        }
    }
}

void MutableGroupList::clearEntries() {
    for (auto& entry : lists_) {
        entry.second->clear();
    }
}

void MutableGroupList::itemChanged(MusicItem* item) {
    for (auto& entry : lists_) {
        entry.second->itemChanged(item);
    }
}

void MutableGroupList::eraseIfPresent(const std::string& name) {
    const auto it = lists_.find(name);
    if (it == lists_.end()) {
        return;
    }
    const std::unique_ptr<MutableGroup> doomed = std::move(it->second);
    lists_.erase(it);
    modified_ = true;
    setPending(ChangeKind::Removed);
}

}  // namespace mdb
