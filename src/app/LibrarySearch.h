#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mdb/MusicInfo.h"

namespace mdb {
class Group;
class MusicDatabase;
class MusicItem;
}  // namespace mdb

namespace app {

// The library search dialog's state: the fields searched, and where the
// next search of the same criteria starts, so that each search finds the
// hit after the last one.
class LibrarySearch {
  public:
    // The fields a search can look in, as "SearchMask" names them.
    static constexpr uint32_t kFields = mdb::MusicInfo::Title | mdb::MusicInfo::Artist |
                                        mdb::MusicInfo::Album | mdb::MusicInfo::Comment |
                                        mdb::MusicInfo::Path;
    static constexpr int32_t kAnyGenre = -1;

    struct Query {
        std::string text;
        uint32_t fields = kFields;
        int32_t genre = kAnyGenre;
        const mdb::Group* list = nullptr;  // null: the whole library

        bool operator==(const Query&) const = default;
    };

    // `searchMask`: the fields NOT searched.
    explicit LibrarySearch(uint32_t searchMask) : fields_(kFields & ~searchMask) {}

    uint32_t fields() const { return fields_; }
    void setFields(uint32_t fields) { fields_ = fields & kFields; }
    uint32_t searchMask() const { return kFields & ~fields_; }
    // The text was edited: the next search starts at the first item.
    void restart() { next_ = 0; }

    // The next hit of `query` at or after the next start index; nothing
    // (and the next search starts over) when there is none. The caller
    // holds the database lock.
    std::optional<size_t> findNext(mdb::MusicDatabase& db, const Query& query);
    // Every hit of `query`, in list order; the caller holds the lock.
    static std::vector<mdb::MusicItem*> findAll(mdb::MusicDatabase& db, const Query& query);

    // One criterion per searched field, in the order title, album,
    // artist, comment, path, each with the genre when one is chosen.
    static std::vector<mdb::MusicCriterion> criteriaOf(const Query& query);

  private:
    uint32_t fields_;
    size_t next_ = 0;
    std::optional<Query> last_;
};

}  // namespace app
