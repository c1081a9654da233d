#include <algorithm>
#include <cstring>
#include <utility>

#include "mp3/L3Bands.h"
#include "mp3/L3HuffmanLookup.h"
#include "mp3/L3Simd.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
template <size_t... Select>
constexpr std::array<L3HuffLookup, sizeof...(Select)> pairLookups(std::index_sequence<Select...>) {
    return {L3LookupFor<static_cast<int>(Select)>::value()...};
}

constexpr std::array<L3HuffLookup, 32> kPairLookups = pairLookups(std::make_index_sequence<32>());

// A 64-bit window on the bits for the hot loops. Bytes past the end read as
// zeros, as with L3BitReader; after a refill at least 57 bits are ready,
// enough for one pair with escapes and signs.
class BitCache {
  public:
    BitCache(const uint8_t* data, size_t endBits, size_t position)
        : data_(data), endByte_(endBits / 8), next_(position / 8) {
        refill();
        skip(static_cast<int>(position % 8));
    }
    void refill() {
        if (next_ + 8 <= endByte_) {
            uint64_t word = 0;
            std::memcpy(&word, data_ + next_, sizeof word);
            cache_ |= __builtin_bswap64(word) >> avail_;
            const int take = (63 - avail_) >> 3;
            next_ += static_cast<size_t>(take);
            avail_ += take * 8;
            return;
        }
        while (avail_ <= 56) {
            const uint64_t byte = next_ < endByte_ ? data_[next_] : 0;
            ++next_;
            cache_ |= byte << (56 - avail_);
            avail_ += 8;
        }
    }
    uint32_t peek32() const { return static_cast<uint32_t>(cache_ >> 32); }
    uint32_t peekBit() const { return static_cast<uint32_t>(cache_ >> 63); }
    void skip(int count) {
        cache_ <<= count;
        avail_ -= count;
    }
    uint32_t get(int count) {
        const auto value = static_cast<uint32_t>(cache_ >> (64 - count));
        skip(count);
        return value;
    }
    size_t position() const { return next_ * 8 - static_cast<size_t>(avail_); }

  private:
    const uint8_t* data_;
    size_t endByte_;
    size_t next_;
    uint64_t cache_ = 0;
    int avail_ = 0;
};

inline uint32_t decodeEntry(BitCache& bits, const L3HuffLookup& lookup) {
    const uint32_t word = bits.peek32();
    uint32_t entry = lookup.entries[word >> (32 - lookup.rootBits)];
    int used = lookup.rootBits;
    while (entry & kLookupLink) {
        const int sub = (entry >> 11) & 15;
        entry = lookup.entries[(entry & 0x7FF) + ((word << used) >> (32 - sub))];
        used += sub;
    }
    bits.skip(static_cast<int>(entry >> 8));
    return entry;
}

// A value's magnitude with the sign bit that follows a nonzero one, as
// float bits. The signs are applied without a branch, as they are random.
inline float withSign(float magnitude, uint32_t sign) {
    uint32_t raw;
    std::memcpy(&raw, &magnitude, sizeof raw);
    raw ^= sign << 31;
    float out;
    std::memcpy(&out, &raw, sizeof out);
    return out;
}

// One pair of a table without escapes: both signs come from one look at the
// bits after the code word.
inline void plainPair(BitCache& bits, const L3HuffLookup& lookup, float gain, const float* pow43,
                      float* out) {
    const uint32_t entry = decodeEntry(bits, lookup);
    const uint32_t x = (entry >> 4) & 15;
    const uint32_t y = entry & 15;
    const uint32_t nonzeroX = x != 0 ? 1 : 0;
    const uint32_t nonzeroY = y != 0 ? 1 : 0;
    const uint32_t signs = bits.peek32();
    out[0] = withSign(pow43[x] * gain, (signs >> 31) & nonzeroX);
    out[1] = withSign(pow43[y] * gain, ((signs << nonzeroX) >> 31) & nonzeroY);
    bits.skip(static_cast<int>(nonzeroX + nonzeroY));
}

// One value of an escape table: magnitude 15 takes linbits more.
inline float escapedValue(BitCache& bits, uint32_t magnitude, int linbits, float gain,
                          const float* pow43) {
    if (magnitude == 15) {
        magnitude += bits.get(linbits);
    }
    const uint32_t nonzero = magnitude != 0 ? 1 : 0;
    const uint32_t sign = bits.peekBit() & nonzero;
    bits.skip(static_cast<int>(nonzero));
    return withSign(pow43[magnitude] * gain, sign);
}

// Walks the runs alongside the lines to keep the current gain.
struct RunCursor {
    const L3BandRuns& runs;
    int run = 0;
    // The run holding `line`; its end bounds the lines that share the gain.
    int seek(int line) {
        while (run + 1 < runs.count && line >= runs.end[run]) {
            ++run;
        }
        return run;
    }
    float gainAt(int line) { return runs.gain[seek(line)]; }
};

struct Regions {
    int end[3];
};

Regions regionsOf(const L3GranuleSide& g, const L3BandTable& bands, uint32_t version) {
    const int bigEnd = static_cast<int>(g.bigValues) * 2;
    int region1;
    int region2;
    if (g.windowSwitching) {
        // Region 0 holds the first 36 lines at the MPEG-1 rates; in a mixed
        // block it is the block's long part at every rate.
        if (g.shortBlocks()) {
            region1 = g.mixedBlock ? bands.longBounds[l3MixedLongBands(version)]
                                   : kWindows * bands.shortBounds[3];
        } else {
            region1 = bands.longBounds[8];
        }
        region2 = kGranuleLines;
    } else {
        const uint32_t r1 = std::min<uint32_t>(g.region0Count + 1, kLongBands);
        const uint32_t r2 = std::min<uint32_t>(g.region0Count + g.region1Count + 2, kLongBands);
        region1 = bands.longBounds[r1];
        region2 = bands.longBounds[r2];
    }
    region1 = std::min(region1, bigEnd);
    region2 = std::clamp(region2, region1, bigEnd);
    return {{region1, region2, bigEnd}};
}

// A refill leaves at least 56 bits: two plain pairs (up to 19 code bits and
// two signs each), or one pair with escapes (up to 2 x 13 linbits more).
int plainRun(BitCache& bits, const L3HuffLookup& lookup, float gain, int i, int stop, float* xr) {
    const float* pow43 = l3Pow43();
    for (; i + 4 <= stop; i += 4) {
        bits.refill();
        plainPair(bits, lookup, gain, pow43, xr + i);
        plainPair(bits, lookup, gain, pow43, xr + i + 2);
    }
    if (i < stop) {
        bits.refill();
        plainPair(bits, lookup, gain, pow43, xr + i);
        i += 2;
    }
    return i;
}

int escapeRun(BitCache& bits, const L3HuffLookup& lookup, float gain, int i, int stop, float* xr) {
    const float* pow43 = l3Pow43();
    for (; i < stop; i += 2) {
        bits.refill();
        const uint32_t entry = decodeEntry(bits, lookup);
        xr[i] = escapedValue(bits, (entry >> 4) & 15, lookup.linbits, gain, pow43);
        xr[i + 1] = escapedValue(bits, entry & 15, lookup.linbits, gain, pow43);
    }
    return i;
}

int decodeBigValues(BitCache& bits, const L3GranuleSide& g, const Regions& regions,
                    RunCursor& cursor, float* xr) {
    int i = 0;
    for (int r = 0; r < 3; ++r) {
        const L3HuffLookup& lookup = kPairLookups[g.tableSelect[r]];
        const int end = regions.end[r];
        if (lookup.entries == nullptr) {
            std::fill(xr + i, xr + std::max(i, end), 0.0f);
            i = std::max(i, end);
            continue;
        }
        while (i < end) {
            const int run = cursor.seek(i);
            const float gain = cursor.runs.gain[run];
            const int stop = std::min<int>(end, std::max<int>(cursor.runs.end[run], i + 2));
            i = lookup.linbits > 0 ? escapeRun(bits, lookup, gain, i, stop, xr)
                                   : plainRun(bits, lookup, gain, i, stop, xr);
        }
    }
    return i;
}

// A count1 quadruple with its signs in one look: indexed by the next bits,
// an entry holds which values are 1 (bit 3 the first), their signs (bits
// 4-7 likewise) and the bits taken, code and signs (from bit 8).
template <int kBits>
struct QuadWindow {
    std::array<uint16_t, 1 << kBits> entries;
};

constexpr uint16_t quadEntry(uint32_t window, int bits, int codeLength, uint32_t quad) {
    uint32_t signs = 0;
    int at = bits - codeLength;  // bits left after the code
    for (int k = 3; k >= 0; --k) {
        if ((quad >> k) & 1) {
            --at;
            signs |= ((window >> at) & 1) << k;
        }
    }
    return static_cast<uint16_t>((bits - at) << 8 | signs << 4 | quad);
}

// Table A: codes of up to 6 bits; table B: 4 bits, the inverted values.
constexpr QuadWindow<10> kQuadWindowA = [] {
    QuadWindow<10> t{};
    for (uint32_t w = 0; w < t.entries.size(); ++w) {
        for (uint32_t quad = 0; quad < 16; ++quad) {
            const int length = kQuadLengthsA[quad];
            if (w >> (10 - length) == kQuadCodesA[quad]) {
                t.entries[w] = quadEntry(w, 10, length, quad);
            }
        }
    }
    return t;
}();
constexpr QuadWindow<8> kQuadWindowB = [] {
    QuadWindow<8> t{};
    for (uint32_t w = 0; w < t.entries.size(); ++w) {
        t.entries[w] = quadEntry(w, 8, 4, ~(w >> 4) & 15);
    }
    return t;
}();

inline uint32_t nextQuad(BitCache& bits, bool tableB) {
    const uint32_t entry = tableB ? kQuadWindowB.entries[bits.peek32() >> 24]
                                  : kQuadWindowA.entries[bits.peek32() >> 22];
    bits.skip(static_cast<int>(entry >> 8));
    return entry;
}

// A count1 value: 0 or +-gain, from the gain's bits.
inline float quadValue(uint32_t gainBits, uint32_t entry, int k) {
    const uint32_t set = (entry >> k) & 1;
    const uint32_t raw = (gainBits & (0u - set)) ^ (((entry >> (4 + k)) & 1) << 31);
    float out;
    std::memcpy(&out, &raw, sizeof out);
    return out;
}

int decodeCount1(BitCache& bits, size_t part3End, bool tableB, int i, RunCursor& cursor,
                 float* xr) {
    while (i < kGranuleLines && bits.position() < part3End) {
        bits.refill();
        const uint32_t quad = nextQuad(bits, tableB);
        // Runs have even widths, so each pair of the quadruple has one gain.
        uint32_t low;
        uint32_t high;
        const float lowGain = cursor.gainAt(i);
        const float highGain = cursor.gainAt(std::min(i + 2, kGranuleLines - 1));
        std::memcpy(&low, &lowGain, sizeof low);
        std::memcpy(&high, &highGain, sizeof high);
        if (bits.position() > part3End) {
            break;  // the last quadruple ran past the granule: drop it
        }
        store4(xr + i, F4{quadValue(low, quad, 3), quadValue(low, quad, 2),
                          quadValue(high, quad, 1), quadValue(high, quad, 0)});
        i += 4;
    }
    return std::min(i, kGranuleLines);
}
}  // namespace

int l3DecodeSpectrum(L3BitReader& reader, size_t part3End, const L3GranuleSide& granule,
                     const L3BandTable& bands, uint32_t version, const L3BandRuns& runs,
                     float* xr) {
    RunCursor cursor{runs};
    BitCache bits(reader.data(), reader.endBits(), reader.position());
    const Regions regions = regionsOf(granule, bands, version);
    int i = decodeBigValues(bits, granule, regions, cursor, xr);
    if (bits.position() > part3End) {
        reader.seek(bits.position());
        return -1;
    }
    i = decodeCount1(bits, part3End, granule.count1TableB, i, cursor, xr);
    reader.seek(bits.position());
    std::fill(xr + i, xr + kGranuleLines, 0.0f);
    return i;
}

}  // namespace mp3
