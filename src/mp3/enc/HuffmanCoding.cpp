#include "mp3/enc/HuffmanCoding.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "mp3/L3HuffmanCodes.h"

namespace mp3::enc {

namespace {
// Tables without escape by the largest value they code, cheapest family first.
struct Family {
    int maxValue;
    int tables[3];
    int count;
};
constexpr Family kFamilies[] = {{1, {1, 0, 0}, 1}, {2, {2, 3, 0}, 2},    {3, {5, 6, 0}, 2},
                                {5, {7, 8, 9}, 3}, {7, {10, 11, 12}, 3}, {15, {13, 15, 0}, 2}};
// After the six families: the two escape tables 16 and 24 (their linbits
// chosen by the largest value).
constexpr int kEscapeFamily = 6;

constexpr int kZeroBlock = 16;

bool allZero(const int* ix) {
    int any = 0;
    for (int k = 0; k < kZeroBlock; ++k) {
        any |= ix[k];
    }
    return any == 0;
}

int maxAbs(const int* ix, int begin, int end) {
    int m = 0;
    for (int i = begin; i < end; ++i) {
        m = std::max(m, std::abs(ix[i]));
    }
    return m;
}

// The escape table of a family (16 or 24) with the fewest linbits for m.
int escapeTable(int first, int m) {
    for (int t = first; t < first + 8; ++t) {
        if (m <= 15 + (1 << kPairTables[t].linbits) - 1) {
            return t;
        }
    }
    return first + 7;
}

// Bits of the count1 region with table A and with table B, signs included.
void count1Bits(const int* ix, int begin, int end, int& bitsA, int& bitsB) {
    int signs = 0, a = 0;
    for (int i = begin; i < end; i += 4) {
        const int v = ix[i] != 0, w = ix[i + 1] != 0, x = ix[i + 2] != 0, y = ix[i + 3] != 0;
        signs += v + w + x + y;
        a += kQuadLengthsA[v * 8 + w * 4 + x * 2 + y];
    }
    bitsA = signs + a;
    bitsB = signs + (end - begin);
}

void writePairs(BitWriter& out, const int* ix, int begin, int end, int table) {
    if (table == 0) {
        return;
    }
    const L3PairTable& t = kPairTables[table];
    const int width = t.code.width;
    for (int i = begin; i < end; i += 2) {
        int x = std::abs(ix[i]);
        int y = std::abs(ix[i + 1]);
        const int cx = std::min(x, 15);
        const int cy = std::min(y, 15);
        const int index = cx * width + cy;
        out.put(t.code.codes[index], t.code.lengths[index]);
        if (t.linbits > 0 && x >= 15) {
            out.put(static_cast<uint32_t>(x - 15), t.linbits);
        }
        if (x != 0) {
            out.put(ix[i] < 0, 1);
        }
        if (t.linbits > 0 && y >= 15) {
            out.put(static_cast<uint32_t>(y - 15), t.linbits);
        }
        if (y != 0) {
            out.put(ix[i + 1] < 0, 1);
        }
    }
}

// Region boundaries (in lines) of a long-block split.
void regionEnds(const uint16_t* longBounds, int r0, int r1, int bigEnd, int& end0, int& end1) {
    end0 = std::min<int>(longBounds[r0 + 1], bigEnd);
    end1 = std::min<int>(longBounds[std::min(r0 + r1 + 2, kLongBands)], bigEnd);
}

int costOf(const int* ix, int begin, int end, int* table) {
    const TableCost c = bestPairTable(ix, begin, end);
    *table = c.table;
    return c.bits;
}

void fixedSplit(const int* ix, const uint16_t* longBounds, HuffmanChoice& c) {
    const int bigEnd = c.bigValues * 2;
    int r0 = 0;
    while (r0 < 15 && longBounds[r0 + 2] <= bigEnd * 3 / 10) {
        ++r0;
    }
    int r1 = 0;
    while (r1 < 7 && r0 + r1 + 3 <= kLongBands && longBounds[r0 + r1 + 3] <= bigEnd * 7 / 10) {
        ++r1;
    }
    c.region0Count = r0;
    c.region1Count = r1;
    int end0 = 0, end1 = 0;
    regionEnds(longBounds, r0, r1, bigEnd, end0, end1);
    c.bits = costOf(ix, 0, end0, &c.table[0]) + costOf(ix, end0, end1, &c.table[1]) +
             costOf(ix, end1, bigEnd, &c.table[2]);
}

}  // namespace

int pairTableBits(const int* ix, int begin, int end, int table) {
    if (table == 0) {
        return 0;
    }
    const L3PairTable& t = kPairTables[table];
    const int width = t.code.width;
    int bits = 0;
    for (int i = begin; i < end; i += 2) {
        const int x = std::abs(ix[i]);
        const int y = std::abs(ix[i + 1]);
        const int cx = std::min(x, 15);
        const int cy = std::min(y, 15);
        bits += t.code.lengths[cx * width + cy] + (x != 0) + (y != 0);
        if (t.linbits > 0) {
            bits += (x >= 15 ? t.linbits : 0) + (y >= 15 ? t.linbits : 0);
        }
    }
    return bits;
}

namespace {
constexpr int kFieldBits = 21;
constexpr uint64_t kFieldMask = (uint64_t{1} << kFieldBits) - 1;

// Code lengths (signs included) of up to three tables packed into one word
// per (x, y), so that one pass over the lines costs every candidate.
struct PackedLengths {
    uint64_t lengths[16 * 16];
};

PackedLengths packTables(const int* tables, int count) {
    PackedLengths p{};
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 16; ++y) {
            uint64_t word = 0;
            for (int k = 0; k < count; ++k) {
                const L3PairTable& t = kPairTables[tables[k]];
                const int width = t.code.width;
                if (x >= width || y >= width) {
                    continue;
                }
                const uint64_t bits = t.code.lengths[x * width + y] + (x != 0) + (y != 0);
                word |= bits << (kFieldBits * k);
            }
            p.lengths[x * 16 + y] = word;
        }
    }
    return p;
}

const PackedLengths& familyLengths(int family) {
    static const auto kPacked = [] {
        std::array<PackedLengths, kEscapeFamily + 1> all{};
        for (int f = 0; f < kEscapeFamily; ++f) {
            all[static_cast<size_t>(f)] = packTables(kFamilies[f].tables, kFamilies[f].count);
        }
        const int escapes[2] = {16, 24};
        all[kEscapeFamily] = packTables(escapes, 2);
        return all;
    }();
    return kPacked[static_cast<size_t>(family)];
}

uint64_t packedSum(const PackedLengths& p, const int* ix, int begin, int end, int& escapes) {
    uint64_t sum = 0;
    int count = 0;
    for (int i = begin; i < end; i += 2) {
        const int x = std::abs(ix[i]);
        const int y = std::abs(ix[i + 1]);
        count += (x >= 15) + (y >= 15);
        sum += p.lengths[std::min(x, 15) * 16 + std::min(y, 15)];
    }
    escapes = count;
    return sum;
}

int familyOf(int m) {
    if (m > 15) {
        return kEscapeFamily;
    }
    int f = 0;
    while (m > kFamilies[f].maxValue) {
        ++f;
    }
    return f;
}

// The cheapest table for lines whose largest value is m, from their packed
// sum for m's family and their count of escapes.
TableCost cheapestOf(int m, uint64_t sum, int escapes) {
    TableCost best{0, 1 << 30};
    const int f = familyOf(m);
    if (f < kEscapeFamily) {
        for (int k = 0; k < kFamilies[f].count; ++k) {
            const int bits = static_cast<int>(sum >> (kFieldBits * k) & kFieldMask);
            if (bits < best.bits) {
                best = {kFamilies[f].tables[k], bits};
            }
        }
        return best;
    }
    for (int k = 0; k < 2; ++k) {
        const int table = escapeTable(k == 0 ? 16 : 24, m);
        const int bits = static_cast<int>(sum >> (kFieldBits * k) & kFieldMask) +
                         escapes * kPairTables[table].linbits;
        if (bits < best.bits) {
            best = {table, bits};
        }
    }
    return best;
}
}  // namespace

TableCost bestPairTable(const int* ix, int begin, int end) {
    if (begin >= end) {
        return {0, 0};
    }
    const int m = maxAbs(ix, begin, end);
    if (m == 0) {
        return {0, 0};
    }
    int escapes = 0;
    const uint64_t sum = packedSum(familyLengths(familyOf(m)), ix, begin, end, escapes);
    return cheapestOf(m, sum, escapes);
}

namespace {
// Every region of a split starts and ends on a long band (cut at the end of
// the big values), so the search costs each band once per family that can
// code it and sums bands per region: prefix sums per family.
class BandCosts {
  public:
    BandCosts(const int* ix, const uint16_t* longBounds, int bigEnd) {
        for (int b = 0; b <= kLongBands; ++b) {
            bound_[b] = std::min<int>(longBounds[b], bigEnd);
        }
        for (int b = 0; b < kLongBands; ++b) {
            max_[b] = maxAbs(ix, bound_[b], bound_[b + 1]);
            // A region holding this band needs at least the band's family.
            uint64_t sum[kEscapeFamily + 1] = {};
            int escapes = 0;
            for (int f = familyOf(max_[b]); f <= kEscapeFamily; ++f) {
                sum[f] = packedSum(familyLengths(f), ix, bound_[b], bound_[b + 1], escapes);
            }
            escapes_[b + 1] = escapes_[b] + escapes;
            for (int f = 0; f <= kEscapeFamily; ++f) {
                prefix_[f][b + 1] = prefix_[f][b] + sum[f];
            }
        }
    }
    int end(int band) const { return bound_[band]; }
    // Bands [first, last).
    TableCost cost(int first, int last) const {
        int m = 0;
        for (int b = first; b < last; ++b) {
            m = std::max(m, max_[b]);
        }
        if (m == 0) {
            return {0, 0};
        }
        const int f = familyOf(m);
        return cheapestOf(m, prefix_[f][last] - prefix_[f][first],
                          escapes_[last] - escapes_[first]);
    }

  private:
    int bound_[kLongBands + 1];
    int max_[kLongBands];
    uint64_t prefix_[kEscapeFamily + 1][kLongBands + 1] = {};
    int escapes_[kLongBands + 1] = {};
};

void searchSplit(const int* ix, const uint16_t* longBounds, HuffmanChoice& c) {
    const int bigEnd = c.bigValues * 2;
    const BandCosts costs(ix, longBounds, bigEnd);
    c.bits = 1 << 30;
    for (int r0 = 0; r0 < 16; ++r0) {
        const TableCost first = costs.cost(0, r0 + 1);
        for (int r1 = 0; r1 < 8 && r0 + r1 + 2 <= kLongBands; ++r1) {
            const int split = r0 + r1 + 2;
            const TableCost second = costs.cost(r0 + 1, split);
            const TableCost third = costs.cost(split, kLongBands);
            const int bits = first.bits + second.bits + third.bits;
            if (bits < c.bits) {
                c.bits = bits;
                c.region0Count = r0;
                c.region1Count = r1;
                c.table[0] = first.table;
                c.table[1] = second.table;
                c.table[2] = third.table;
            }
            if (costs.end(split) >= bigEnd) {
                break;
            }
        }
        if (costs.end(r0 + 1) >= bigEnd) {
            break;
        }
    }
}
}  // namespace

HuffmanChoice chooseHuffman(const int* ix, const uint16_t* longBounds, bool windowSwitched,
                            bool fullSearch) {
    HuffmanChoice c;
    int i = kGranuleLines;
    // The zeros at the top first in blocks (one vector test each), then by pairs.
    while (i >= kZeroBlock && allZero(ix + i - kZeroBlock)) {
        i -= kZeroBlock;
    }
    while (i > 1 && ix[i - 1] == 0 && ix[i - 2] == 0) {
        i -= 2;
    }
    c.count1End = i;
    while (i > 3 && std::abs(ix[i - 1]) <= 1 && std::abs(ix[i - 2]) <= 1 &&
           std::abs(ix[i - 3]) <= 1 && std::abs(ix[i - 4]) <= 1) {
        i -= 4;
    }
    c.bigValues = i / 2;
    int bitsA = 0, bitsB = 0;
    count1Bits(ix, i, c.count1End, bitsA, bitsB);
    c.count1TableB = bitsB < bitsA;
    const int count1 = std::min(bitsA, bitsB);
    if (windowSwitched) {
        const TableCost t = bestPairTable(ix, 0, c.bigValues * 2);
        c.table[0] = c.table[1] = t.table;
        c.singleTable = true;
        c.bits = t.bits + count1;
        return c;
    }
    if (fullSearch) {
        searchSplit(ix, longBounds, c);
    } else {
        fixedSplit(ix, longBounds, c);
    }
    c.bits += count1;
    return c;
}

void writeHuffman(BitWriter& out, const int* ix, const HuffmanChoice& c,
                  const uint16_t* longBounds) {
    const int bigEnd = c.bigValues * 2;
    if (c.singleTable) {
        writePairs(out, ix, 0, bigEnd, c.table[0]);
    } else {
        int end0 = 0, end1 = 0;
        regionEnds(longBounds, c.region0Count, c.region1Count, bigEnd, end0, end1);
        writePairs(out, ix, 0, end0, c.table[0]);
        writePairs(out, ix, end0, end1, c.table[1]);
        writePairs(out, ix, end1, bigEnd, c.table[2]);
    }
    for (int i = bigEnd; i < c.count1End; i += 4) {
        const int v = ix[i] != 0, w = ix[i + 1] != 0, x = ix[i + 2] != 0, y = ix[i + 3] != 0;
        const int index = v * 8 + w * 4 + x * 2 + y;
        if (c.count1TableB) {
            out.put(static_cast<uint32_t>(15 - index), 4);
        } else {
            out.put(kQuadCodesA[index], kQuadLengthsA[index]);
        }
        for (int k = 0; k < 4; ++k) {
            if (ix[i + k] != 0) {
                out.put(ix[i + k] < 0, 1);
            }
        }
    }
}

}  // namespace mp3::enc
