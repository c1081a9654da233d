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

// Sorts stably by `key`, reading every item's field once. The lowercased
// texts share one buffer (an allocation per item would cost more than the
// sort), and each entry carries the 16 bytes after the prefix all texts
// share, so that most comparisons never reach the buffer (paths share far
// more than 8 bytes within a folder).
template <typename Ptr>
void sortItems(std::vector<Ptr>& items, const SortKey& key) {
    struct Entry {
        uint64_t head;  // big-endian: compares as the bytes do
        uint64_t next;  // the 8 bytes after it, alike
        size_t begin;
        uint32_t length;
        uint32_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(items.size());
    std::string texts;
    size_t shared = std::string::npos;
    // The items lie all over the heap: fetched ahead, their memory's
    // latency overlaps instead of adding up.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i + kAhead < items.size()) {
            __builtin_prefetch(&itemOf(items[i + kAhead]));
        }
        if (key.isText() && i + kAhead / 2 < items.size()) {
            __builtin_prefetch(itemOf(items[i + kAhead / 2]).text(key.type()).data());
        }
        const MusicItem& item = itemOf(items[i]);
        if (key.isText()) {
            const std::string_view text = item.text(key.type());
            const size_t begin = texts.size();
            if (texts.capacity() < begin + text.size()) {
                // Most texts are about as long as the first ones.
                texts.reserve(std::max(2 * texts.capacity(),
                                       (begin + text.size()) * items.size() / (i + 1) * 9 / 8));
            }
            texts.append(text);
            std::transform(texts.begin() + ptrdiff_t(begin), texts.end(),
                           texts.begin() + ptrdiff_t(begin), platform::lowerAscii);
            const std::string_view first(texts.data(), entries.empty() ? 0 : entries[0].length);
            const std::string_view lowered(texts.data() + begin, text.size());
            shared =
                entries.empty()
                    ? text.size()
                    : std::min<size_t>(shared, size_t(std::mismatch(first.begin(), first.end(),
                                                                    lowered.begin(), lowered.end())
                                                          .first -
                                                      first.begin()));
            entries.push_back(Entry{0, 0, begin, uint32_t(text.size()), uint32_t(i)});
        } else {
            entries.push_back(Entry{item.number(key.type()), 0, 0, 0, uint32_t(i)});
        }
    }
    const std::string_view all(texts);
    if (key.isText()) {
        const auto bytesAt = [all](const Entry& entry, size_t from) {
            uint64_t bytes = 0;
            for (size_t at = from; at < from + 8; ++at) {
                bytes = bytes << 8 | (at < entry.length ? uint8_t(all[entry.begin + at]) : 0u);
            }
            return bytes;
        };
        for (Entry& entry : entries) {
            entry.head = bytesAt(entry, shared);
            entry.next = bytesAt(entry, shared + 8);
        }
    }
    const bool text = key.isText();
    const auto less = [text, all](const Entry& a, const Entry& b) {
        if (a.head != b.head || !text) {
            return a.head < b.head;
        }
        if (a.next != b.next) {
            return a.next < b.next;
        }
        return all.substr(a.begin, a.length) < all.substr(b.begin, b.length);
    };
    const bool ascending = key.ascending();
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return ascending ? less(a, b) : less(b, a);
    });
    std::vector<Ptr> sorted;
    sorted.reserve(items.size());
    for (const Entry& entry : entries) {
        sorted.push_back(std::move(items[entry.index]));
    }
    items = std::move(sorted);
}

}  // namespace mdb
