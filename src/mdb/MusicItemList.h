#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mdb/ChangeNotifier.h"
#include "mdb/ItemSet.h"
#include "mdb/MusicItem.h"
#include "mdb/RecordIO.h"
#include "mdb/SearchIndex.h"

namespace mdb {

class MusicDatabase;

// The library: the ordered list of every music file the user added. It
// owns its items, admits only absolute paths (shorter than PATH_MAX) with an
// accepted extension and no path twice (ignoring ASCII case), and keeps the stored information and
// the files in step by modification time.
class MusicItemList : public ChangeNotifier, public RecordSource, public ImportTarget {
  public:
    explicit MusicItemList(MusicDatabase& db);
    ~MusicItemList();

    bool findFirst(const std::vector<MusicCriterion>& criteria, bool exact, size_t start,
                   size_t& index) const;
    bool findFirst(const MusicCriterion& criterion, bool exact, size_t start, size_t& index) const;
    bool findAll(const std::vector<MusicCriterion>& criteria, bool exact,
                 std::vector<MusicItem*>& items) const;
    bool findAll(const MusicCriterion& criterion, bool exact, std::vector<MusicItem*>& items) const;
    void sort(MusicInfo::Type type, bool ascending);
    // Throws std::out_of_range "too large".
    MusicItem* itemAt(size_t index) const;
    size_t count() const;
    bool getInfo(const MusicItem* item, MusicInfo& out) const;
    void exportTo(const std::string& path, int format) const;
    void importReplacing(const std::string& path, int format, std::vector<std::string>& failed);
    // The same, telling by line what could not be taken.
    void importReplacing(const std::string& path, int format, ImportResult& result);
    void importAppending(const std::string& path, int format, std::vector<std::string>& failed);
    void addFiles(const std::vector<std::string>& paths, std::vector<size_t>& indices);
    // The index of the file's item (kNoIndex for an extension not
    // accepted). Throws std::invalid_argument "Not absolute path." and
    // FileIOException(path) for a missing file.
    size_t addFile(const std::string& path);
    size_t add(const MusicInfo& record, bool writeTag);
    // Records read beforehand (no tag writes), told to the listeners once;
    // kNoIndex for each one refused.
    std::vector<size_t> addRecords(const std::vector<MusicInfo>& records);
    void remove(MusicItem* item);
    void removeAt(const std::vector<size_t>& indices);
    void removeAt(size_t index);
    void move(const std::vector<size_t>& indices, size_t target);
    void clear();
    void synchronize();
    void addExtension(const std::string& extension);
    std::vector<std::string> getExtensions() const;
    // Throws NotFoundException("Unknown") for an item not in the library.
    size_t indexOf(const MusicItem* item) const;
    bool isModified() const;

    void enumerate(RecordWriter& writer) const override;
    void readFrom(RecordReader& reader, ImportResult& result) override;

    // For the database's own parts; the caller holds the lock.
    std::vector<MusicItem*> itemsWithPath(std::string_view path) const;
    bool unindex(MusicItem* item);
    void index(MusicItem* item);
    // An item's path, title, artist, album or comment changed.
    void textChanged(const MusicItem& item);
    void clearModified();
    // After a save that did not complete: saved again next time.
    void markModified() { modified_ = true; }

  private:
    // Paths are the same when equal ignoring ASCII case.
    struct FoldHash {
        size_t operator()(std::string_view path) const;
    };
    struct FoldEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };

    ItemSet matching(const std::vector<MusicCriterion>& criteria, bool exact) const;
    bool accepts(std::string_view path) const;
    MusicItem* firstWithPath(std::string_view path) const;
    size_t addRecord(const MusicInfo& record, bool writeTag);
    void removeItems(const std::vector<MusicItem*>& items);
    void deleteItems();
    bool synchronizeItem(MusicItem& item);
    void import(const std::string& path, int format, ImportResult& result, bool replacing);
    void changed(ChangeKind kind);
    const std::unordered_map<const MusicItem*, size_t>& positions() const;

    MusicDatabase& db_;
    std::vector<std::unique_ptr<MusicItem>> items_;
    // Views into the items' own path strings.
    std::unordered_multimap<std::string_view, MusicItem*, FoldHash, FoldEqual> byPath_;
    SearchIndex search_;
    std::vector<std::string> extensions_;
    bool modified_ = false;
    mutable std::unordered_map<const MusicItem*, size_t> positions_;
    mutable bool positionsValid_ = true;
};

}  // namespace mdb
