#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace mdb {

class MusicItem;

// A set of item pointers in one flat table (open addressing, linear
// probing): marking ten thousand search hits and testing a whole library
// against them costs no allocation per item.
class ItemSet {
  public:
    // Sized for about `expected` items; it grows when needed.
    explicit ItemSet(size_t expected = 0) { rehash(expected); }

    void insert(const MusicItem* item) {
        if ((size_ + 1) * 2 > table_.size()) {
            rehash(size_ + 1);
        }
        size_t i = slotFor(item);
        while (table_[i] != nullptr && table_[i] != item) {
            i = (i + 1) & mask_;
        }
        if (table_[i] == nullptr) {
            table_[i] = item;
            ++size_;
        }
    }

    bool contains(const MusicItem* item) const {
        for (size_t i = slotFor(item); table_[i] != nullptr; i = (i + 1) & mask_) {
            if (table_[i] == item) {
                return true;
            }
        }
        return false;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

  private:
    size_t slotFor(const MusicItem* item) const {
        // Fibonacci hashing spreads the aligned addresses over the table.
        const auto bits = reinterpret_cast<uintptr_t>(item);
        return static_cast<size_t>((bits * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }

    void rehash(size_t count) {
        std::vector<const MusicItem*> old = std::move(table_);
        table_.assign(std::bit_ceil(count * 2 + 16), nullptr);
        mask_ = table_.size() - 1;
        size_ = 0;
        for (const MusicItem* item : old) {
            if (item != nullptr) {
                insert(item);
            }
        }
    }

    std::vector<const MusicItem*> table_;
    size_t mask_ = 0;
    size_t size_ = 0;
};

}  // namespace mdb
