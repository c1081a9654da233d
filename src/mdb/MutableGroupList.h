#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "mdb/ChangeNotifier.h"
#include "mdb/MutableGroup.h"

namespace mdb {

// The playlist set ("PlayListSet"): playlists by exact name.
class MutableGroupList : public ChangeNotifier {
  public:
    static constexpr const char* kName = "PlayListSet";

    explicit MutableGroupList(MusicDatabase& db);
    ~MutableGroupList();

    size_t count() const;
    // All names, ordered ignoring ASCII case.
    std::vector<std::string> getNames() const;
    // Throws NotFoundException(name).
    MutableGroup& get(const std::string& name) const;
    // The playlist of that name, created empty when missing. A name that
    // could not be stored and read back (checkName) throws
    // std::invalid_argument.
    MutableGroup& create(const std::string& name);
    void remove(const std::vector<std::string>& names);
    // Absent names are ignored.
    void remove(const std::string& name);
    // Throws AlreadyExistsException(newName) when that name is in use
    // (renaming to the same name included), NotFoundException(oldName)
    // when there is no such playlist, std::invalid_argument for a name
    // checkName refuses.
    void rename(const std::string& oldName, const std::string& newName);
    void clear();
    bool isModified() const;

    // Why a playlist cannot have this name (empty, a line break or NUL
    // byte, not UTF-8, longer than kMaxNameBytes), or nothing.
    static std::optional<std::string> nameProblem(std::string_view name);
    static constexpr size_t kMaxNameBytes = 1024;

    // For the library and the storage; the caller holds the lock.
    void flushAll();
    void clearModified();
    void removeReferences(const std::unordered_set<const MusicItem*>& items);
    void clearEntries();
    void itemChanged(MusicItem* item);

  private:
    void eraseIfPresent(const std::string& name);

    MusicDatabase& db_;
    std::map<std::string, std::unique_ptr<MutableGroup>, std::less<>> lists_;
    bool modified_ = false;
};

}  // namespace mdb
