#include <algorithm>
#include <utility>

#include "mp3/L3Bands.h"
#include "mp3/L3HuffmanLookup.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
template <size_t... Select>
constexpr std::array<L3HuffLookup, sizeof...(Select)> pairLookups(std::index_sequence<Select...>) {
    return {L3LookupFor<static_cast<int>(Select)>::value()...};
}

constexpr std::array<L3HuffLookup, 32> kPairLookups = pairLookups(std::make_index_sequence<32>());
constexpr L3HuffLookup kQuadLookupA = L3LookupFor<32>::value();

// The leaf entry of the next code word.
inline uint32_t decodeEntry(L3BitReader& reader, const L3HuffLookup& lookup) {
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

// One requantised value with its escape bits and sign.
inline float pairValue(L3BitReader& reader, uint32_t magnitude, int linbits, float gain,
                       const float* pow43) {
    if (magnitude == 0) {
        return 0.0f;
    }
    if (magnitude == 15 && linbits > 0) {
        magnitude += reader.get(static_cast<unsigned>(linbits));
    }
    const float value = pow43[magnitude] * gain;
    return reader.bit() ? -value : value;
}

// Walks the runs alongside the lines to keep the current gain.
struct RunCursor {
    const L3BandRuns& runs;
    int run = 0;
    float gainAt(int line) {
        while (run + 1 < runs.count && line >= runs.end[run]) {
            ++run;
        }
        return runs.gain[run];
    }
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

int decodeBigValues(L3BitReader& reader, const L3GranuleSide& g, const Regions& regions,
                    RunCursor& cursor, float* xr) {
    const float* pow43 = l3Pow43();
    int i = 0;
    for (int r = 0; r < 3; ++r) {
        const L3HuffLookup& lookup = kPairLookups[g.tableSelect[r]];
        if (lookup.entries == nullptr) {
            std::fill(xr + i, xr + regions.end[r], 0.0f);
            i = regions.end[r];
            continue;
        }
        for (; i < regions.end[r]; i += 2) {
            const float gain = cursor.gainAt(i);
            const uint32_t entry = decodeEntry(reader, lookup);
            xr[i] = pairValue(reader, (entry >> 4) & 15, lookup.linbits, gain, pow43);
            xr[i + 1] = pairValue(reader, entry & 15, lookup.linbits, gain, pow43);
        }
    }
    return i;
}

inline uint32_t decodeQuad(L3BitReader& reader, bool tableB) {
    if (tableB) {
        return ~reader.get(4) & 15;
    }
    return decodeEntry(reader, kQuadLookupA) & 15;
}

int decodeCount1(L3BitReader& reader, size_t part3End, bool tableB, int i, RunCursor& cursor,
                 float* xr) {
    while (i < kGranuleLines && reader.position() < part3End) {
        const uint32_t quad = decodeQuad(reader, tableB);
        float values[4];
        for (int k = 0; k < 4; ++k) {
            const bool set = (quad >> (3 - k)) & 1;
            const float gain = set ? cursor.gainAt(std::min(i + k, kGranuleLines - 1)) : 0.0f;
            values[k] = set && reader.bit() ? -gain : gain;
        }
        if (reader.position() > part3End) {
            break;  // the last quadruple ran past the granule: drop it
        }
        std::copy_n(values, 4, xr + i);
        i += 4;
    }
    return std::min(i, kGranuleLines);
}
}  // namespace

int l3DecodeSpectrum(L3BitReader& reader, size_t part3End, const L3GranuleSide& granule,
                     const L3BandTable& bands, uint32_t version, const L3BandRuns& runs,
                     float* xr) {
    RunCursor cursor{runs};
    const Regions regions = regionsOf(granule, bands, version);
    int i = decodeBigValues(reader, granule, regions, cursor, xr);
    if (reader.position() > part3End) {
        return -1;
    }
    i = decodeCount1(reader, part3End, granule.count1TableB, i, cursor, xr);
    std::fill(xr + i, xr + kGranuleLines, 0.0f);
    return i;
}

}  // namespace mp3
