#pragma once

#include <array>
#include <cstdint>

#include "mp3/L3BitReader.h"
#include "mp3/L3HuffmanCodes.h"

namespace mp3 {

// Multi-level lookup tables built at compile time from the code tables.
// Entry layout: a leaf holds length << 8 | x << 4 | y (bit 15 clear); a link
// holds 0x8000 | sub-table bits << 11 | sub-table offset.
inline constexpr uint16_t kLookupLink = 0x8000;
inline constexpr int kLookupRootBits = 8;
inline constexpr int kLookupSubBits = 4;

struct L3HuffLookup {
    const uint16_t* entries = nullptr;  // nullptr for the empty tables
    int rootBits = 0;
    int linbits = 0;
};

namespace lookup_detail {

constexpr int maxLength(const L3HuffCodeTable& t, int count) {
    int longest = 0;
    for (int c = 0; c < count; ++c) {
        longest = t.lengths[c] > longest ? t.lengths[c] : longest;
    }
    return longest;
}

constexpr int rootBits(const L3HuffCodeTable& t, int count) {
    const int longest = maxLength(t, count);
    return longest < kLookupRootBits ? longest : kLookupRootBits;
}

// Fills the level of `bits` bits below `prefix`; `out` may be null to measure.
constexpr void fillLevel(const L3HuffCodeTable& t, int count, uint32_t prefix, int prefixLen,
                         int bits, uint16_t* out, int at, int& next) {
    for (uint32_t i = 0; i < (1u << bits); ++i) {
        const uint32_t p = prefix << bits | i;
        const int pl = prefixLen + bits;
        int longest = 0;
        uint16_t leaf = 0;
        for (int c = 0; c < count; ++c) {
            const int len = t.lengths[c];
            if (len <= pl && (p >> (pl - len)) == uint32_t{t.codes[c]}) {
                leaf = static_cast<uint16_t>(len << 8 | (c / t.width) << 4 | (c % t.width));
            } else if (len > pl && uint32_t{t.codes[c]} >> (len - pl) == p) {
                longest = len > longest ? len : longest;
            }
        }
        if (longest == 0) {
            if (out != nullptr) {
                out[at + static_cast<int>(i)] = leaf;
            }
            continue;
        }
        const int sub = longest - pl < kLookupSubBits ? longest - pl : kLookupSubBits;
        const int where = next;
        next += 1 << sub;
        if (out != nullptr) {
            out[at + static_cast<int>(i)] = static_cast<uint16_t>(kLookupLink | sub << 11 | where);
        }
        fillLevel(t, count, p, pl, sub, out, where, next);
    }
}

constexpr int lookupSize(const L3HuffCodeTable& t, int count) {
    if (t.width == 0) {
        return 1;
    }
    const int root = rootBits(t, count);
    int next = 1 << root;
    fillLevel(t, count, 0, 0, root, nullptr, 0, next);
    return next;
}

template <size_t N>
constexpr std::array<uint16_t, N> buildLookup(const L3HuffCodeTable& t, int count) {
    std::array<uint16_t, N> entries{};
    if (t.width != 0) {
        const int root = rootBits(t, count);
        int next = 1 << root;
        fillLevel(t, count, 0, 0, root, entries.data(), 0, next);
    }
    return entries;
}

}  // namespace lookup_detail

// The lookup of one pair code table; Select is a table_select value.
template <int Select>
struct L3LookupFor {
    static constexpr L3HuffCodeTable kCodes = kPairTables[Select].code;
    static constexpr int kCount = kCodes.width * kCodes.width;
    static constexpr int kSize = lookup_detail::lookupSize(kCodes, kCount);
    static_assert(kSize <= 0x800, "links hold 11-bit offsets");
    static constexpr std::array<uint16_t, kSize> kEntries =
        lookup_detail::buildLookup<kSize>(kCodes, kCount);
    static constexpr L3HuffLookup value() {
        if (kCodes.width == 0) {
            return {};
        }
        return {kEntries.data(), lookup_detail::rootBits(kCodes, kCount),
                kPairTables[Select].linbits};
    }
};

// Decodes the next code word; returns its leaf entry (length << 8 | x << 4 | y).
inline uint32_t l3DecodeHuffman(L3BitReader& reader, const L3HuffLookup& lookup) {
    const uint32_t bits = reader.peek32();
    uint32_t entry = lookup.entries[bits >> (32 - lookup.rootBits)];
    int used = lookup.rootBits;
    while (entry & kLookupLink) {
        const int sub = (entry >> 11) & 15;
        entry = lookup.entries[(entry & 0x7FF) + ((bits << used) >> (32 - sub))];
        used += sub;
    }
    reader.skip(entry >> 8);
    return entry;
}

}  // namespace mp3
