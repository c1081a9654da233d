#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mdb/MusicInfo.h"

namespace mdb {

class MusicItem;

// The library's text fields (path, title, artist, album, comment) of every
// item, lowercased ASCII-only and packed into one buffer. A search reads
// this buffer from front to back instead of visiting 100 000 items spread
// over the heap. Slots are not in list order; the library orders results.
class SearchIndex {
  public:
    static constexpr uint32_t kNoSlot = UINT32_MAX;

    // One item's lowercased fields.
    class Fields {
      public:
        Fields(std::string_view text, const uint32_t* ends) : text_(text), ends_(ends) {}
        // Empty for types that are not text fields.
        std::string_view operator[](MusicInfo::Type type) const;

      private:
        std::string_view text_;
        const uint32_t* ends_;
    };

    // Adds the item and tells it its slot.
    void insert(MusicItem& item);
    // Takes the item's current text; items without a slot are ignored.
    void update(const MusicItem& item);
    void erase(MusicItem& item);
    void clear();

    // Calls visit(fields, item) for every indexed item.
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (const Entry& entry : entries_) {
            if (entry.item != nullptr) {
                visit(fields(entry), *entry.item);
            }
        }
    }

  private:
    struct Entry {
        MusicItem* item;  // null once erased
        uint32_t chunk;
        uint32_t begin;
        std::array<uint32_t, 5> ends;  // relative to begin, one per field
    };
    // The text lives in chunks that never move, so that the index grows
    // without copying itself and without leaving freed copies behind.
    static constexpr size_t kChunkBytes = size_t{1} << 20;

    void store(Entry& entry, const MusicItem& item);
    std::string& room(size_t bytes);
    std::string_view textOf(const Entry& entry) const;
    Fields fields(const Entry& entry) const;
    void compact();

    std::vector<std::string> chunks_;
    std::vector<Entry> entries_;
    size_t bytes_ = 0;
    size_t erased_ = 0;
    size_t staleBytes_ = 0;
};

}  // namespace mdb
