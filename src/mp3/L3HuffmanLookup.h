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

// The codes of a level, by index; a table has at most 16 x 16 of them.
struct CodeList {
    std::array<int, 256> index{};
    int size = 0;
};

// Fills the level of `bits` bits below `prefix` from the codes that can
// reach it; `out` may be null to measure. Each code is placed once rather
// than every entry testing every code, which keeps the compile-time build
// of the tables fast.
constexpr void fillLevel(const L3HuffCodeTable& t, const CodeList& codes, uint32_t prefix,
                         int prefixLen, int bits, uint16_t* out, int at, int& next) {
    const int pl = prefixLen + bits;
    std::array<uint16_t, 1 << kLookupRootBits> leaves{};
    std::array<int, 1 << kLookupRootBits> longest{};
    for (int k = 0; k < codes.size; ++k) {
        const int c = codes.index[k];
        const int len = t.lengths[c];
        const uint32_t code = t.codes[c];
        if (len > pl) {
            const uint32_t i = (code >> (len - pl)) & ((1u << bits) - 1);
            longest[i] = len > longest[i] ? len : longest[i];
            continue;
        }
        // Every entry this code is a prefix of; a code no longer than the
        // prefix covers the whole level.
        const int below = len > prefixLen ? len - prefixLen : 0;
        const uint32_t first = (code & ((1u << below) - 1)) << (bits - below);
        const auto leaf = static_cast<uint16_t>(len << 8 | (c / t.width) << 4 | (c % t.width));
        for (uint32_t i = first; i < first + (1u << (bits - below)); ++i) {
            leaves[i] = leaf;
        }
    }
    for (uint32_t i = 0; i < (1u << bits); ++i) {
        if (longest[i] == 0) {
            if (out != nullptr) {
                out[at + static_cast<int>(i)] = leaves[i];
            }
            continue;
        }
        const uint32_t p = prefix << bits | i;
        const int sub = longest[i] - pl < kLookupSubBits ? longest[i] - pl : kLookupSubBits;
        const int where = next;
        next += 1 << sub;
        if (out != nullptr) {
            out[at + static_cast<int>(i)] = static_cast<uint16_t>(kLookupLink | sub << 11 | where);
        }
        CodeList reaching;
        for (int k = 0; k < codes.size; ++k) {
            const int c = codes.index[k];
            const int len = t.lengths[c];
            const uint32_t code = t.codes[c];
            if (len <= pl ? (p >> (pl - len)) == code : (code >> (len - pl)) == p) {
                reaching.index[static_cast<size_t>(reaching.size++)] = c;
            }
        }
        fillLevel(t, reaching, p, pl, sub, out, where, next);
    }
}

constexpr CodeList allCodes(int count) {
    CodeList codes;
    for (int c = 0; c < count; ++c) {
        codes.index[static_cast<size_t>(codes.size++)] = c;
    }
    return codes;
}

constexpr int lookupSize(const L3HuffCodeTable& t, int count) {
    if (t.width == 0) {
        return 1;
    }
    const int root = rootBits(t, count);
    int next = 1 << root;
    fillLevel(t, allCodes(count), 0, 0, root, nullptr, 0, next);
    return next;
}

template <size_t N>
constexpr std::array<uint16_t, N> buildLookup(const L3HuffCodeTable& t, int count) {
    std::array<uint16_t, N> entries{};
    if (t.width != 0) {
        const int root = rootBits(t, count);
        int next = 1 << root;
        fillLevel(t, allCodes(count), 0, 0, root, entries.data(), 0, next);
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
