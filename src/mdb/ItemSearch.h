#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mdb/MusicInfo.h"
#include "mdb/MusicItem.h"
#include "mdb/SearchIndex.h"
#include "mdb/TextRules.h"

namespace mdb {

// Orders items by one field: text fields (and the genre, by its name)
// bytewise after ASCII lowercasing, the others as unsigned numbers.
class SortKey {
  public:
    // A type that is not exactly one field throws std::invalid_argument
    // "Invalid MusicInfo::Type.".
    SortKey(MusicInfo::Type type, bool ascending);

    // True when `a` goes before `b`. The caller holds the database lock.
    bool operator()(const MusicItem& a, const MusicItem& b) const;

    bool isText() const;
    MusicInfo::Type type() const { return type_; }
    bool ascending() const { return ascending_; }

  private:
    MusicInfo::Type type_;
    bool ascending_;
};

// Decides whether an item matches any of a list of criteria. Text fields
// are compared ignoring ASCII case, by equality (exact) or containment;
// the genre and numbers by equality.
class ItemMatcher {
  public:
    ItemMatcher(const std::vector<MusicCriterion>& criteria, bool exact);
    bool matches(const MusicItem& item) const;
    // The same test on the item's lowercased fields from the search index.
    bool matches(const SearchIndex::Fields& fields, const MusicItem& item) const;

  private:
    // One criterion reduced to the fields its mask selects.
    struct Prepared {
        std::vector<std::pair<MusicInfo::Type, std::string>> texts;  // lowercased
        std::vector<std::pair<MusicInfo::Type, uint32_t>> numbers;
    };
    template <typename TextTest>
    bool matchesOne(const Prepared& criterion, const MusicItem& item, const TextTest& test) const;

    std::vector<Prepared> criteria_;
    bool exact_;
};

inline MusicItem& itemOf(MusicItem* item) {
    return *item;
}
inline MusicItem& itemOf(const std::unique_ptr<MusicItem>& item) {
    return *item;
}

template <typename Ptr>
bool findFirstIn(const std::vector<Ptr>& items, const ItemMatcher& matcher, size_t start,
                 size_t& index) {
    for (size_t i = start; i < items.size(); ++i) {
        if (matcher.matches(itemOf(items[i]))) {
            index = i;
            return true;
        }
    }
    return false;
}

template <typename Ptr>
bool findAllIn(const std::vector<Ptr>& items, const ItemMatcher& matcher,
               std::vector<MusicItem*>& out) {
    out.clear();
    for (const Ptr& item : items) {
        if (matcher.matches(itemOf(item))) {
            out.push_back(&itemOf(item));
        }
    }
    return !out.empty();
}

// Sorts stably by `key`, reading every item's field once.
template <typename Ptr>
void sortItems(std::vector<Ptr>& items, const SortKey& key) {
    struct Entry {
        std::string text;
        uint32_t number;
        size_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const MusicItem& item = itemOf(items[i]);
        entries.push_back(key.isText() ? Entry{toLowerAscii(item.text(key.type())), 0, i}
                                       : Entry{{}, item.number(key.type()), i});
    }
    const auto less = [&key](const Entry& a, const Entry& b) {
        return key.isText() ? a.text < b.text : a.number < b.number;
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return key.ascending() ? less(a, b) : less(b, a);
    });
    std::vector<Ptr> sorted;
    sorted.reserve(items.size());
    for (Entry& entry : entries) {
        sorted.push_back(std::move(items[entry.index]));
    }
    items = std::move(sorted);
}

}  // namespace mdb
