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
constexpr L3HuffLookup kQuadLookupA = L3LookupFor<32>::value();

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

// One requantised value with its escape bits and sign. The sign bit is only
// there for nonzero values; it is applied without a branch, as it is
// random.
template <bool kEscapes>
inline float pairValue(BitCache& bits, uint32_t magnitude, int linbits, float gain,
                       const float* pow43) {
    if (kEscapes && magnitude == 15) {
        magnitude += bits.get(linbits);
    }
    const uint32_t nonzero = magnitude != 0 ? 1 : 0;
    const uint32_t sign = bits.peekBit() & nonzero;
    bits.skip(static_cast<int>(nonzero));
    const float value = pow43[magnitude] * gain;
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    raw ^= sign << 31;
    float out;
    std::memcpy(&out, &raw, sizeof out);
    return out;
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

template <bool kEscapes>
int decodeRun(BitCache& bits, const L3HuffLookup& lookup, float gain, int i, int stop, float* xr) {
    const float* pow43 = l3Pow43();
    for (; i < stop; i += 2) {
        bits.refill();
        const uint32_t entry = decodeEntry(bits, lookup);
        xr[i] = pairValue<kEscapes>(bits, (entry >> 4) & 15, lookup.linbits, gain, pow43);
        xr[i + 1] = pairValue<kEscapes>(bits, entry & 15, lookup.linbits, gain, pow43);
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
            i = lookup.linbits > 0 ? decodeRun<true>(bits, lookup, gain, i, stop, xr)
                                   : decodeRun<false>(bits, lookup, gain, i, stop, xr);
        }
    }
    return i;
}

// A count1 value: 0 or +-gain; the sign bit only follows a 1.
inline float quadValue(BitCache& bits, uint32_t set, float gain) {
    const uint32_t sign = bits.peekBit() & set;
    bits.skip(static_cast<int>(set));
    uint32_t raw;
    const float value = set ? gain : 0.0f;
    std::memcpy(&raw, &value, sizeof raw);
    raw ^= sign << 31;
    float out;
    std::memcpy(&out, &raw, sizeof out);
    return out;
}

int decodeCount1(BitCache& bits, size_t part3End, bool tableB, int i, RunCursor& cursor,
                 float* xr) {
    while (i < kGranuleLines && bits.position() < part3End) {
        bits.refill();
        const uint32_t quad = tableB ? (~bits.get(4) & 15) : (decodeEntry(bits, kQuadLookupA) & 15);
        // Runs have even widths, so each pair of the quadruple has one gain.
        const float low = cursor.gainAt(i);
        const float high = cursor.gainAt(std::min(i + 2, kGranuleLines - 1));
        const float v0 = quadValue(bits, quad >> 3, low);
        const float v1 = quadValue(bits, (quad >> 2) & 1, low);
        const float v2 = quadValue(bits, (quad >> 1) & 1, high);
        const float v3 = quadValue(bits, quad & 1, high);
        if (bits.position() > part3End) {
            break;  // the last quadruple ran past the granule: drop it
        }
        store4(xr + i, F4{v0, v1, v2, v3});
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
