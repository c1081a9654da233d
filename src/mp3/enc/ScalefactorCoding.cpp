#include "mp3/enc/ScalefactorCoding.h"

#include <algorithm>

#include "mp3/L3Bands.h"

namespace mp3::enc {

namespace {
constexpr int kSlen1[16] = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
constexpr int kSlen2[16] = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

// Scale factors per slen group for the lower sampling frequencies, by table
// (0: no preflag, 1: three groups, 2: preflag; 3 to 5 the same for the right
// channel of intensity-coded frames) and block kind.
constexpr int kLsfGroups[6][3][4] = {{{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
                                     {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
                                     {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
                                     {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
                                     {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
                                     {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}}};
constexpr int kLsfSlenLimit[6][4] = {{4, 4, 3, 3}, {4, 4, 3, 0}, {3, 2, 0, 0},
                                     {4, 5, 5, 0}, {3, 3, 3, 0}, {3, 2, 0, 0}};

int bitsFor(int value) {
    int bits = 0;
    while ((1 << bits) <= value) {
        ++bits;
    }
    return bits;
}

int blockKind(const L3GranuleSide& s) {
    if (!s.shortBlocks()) {
        return 0;
    }
    return s.mixedBlock ? 2 : 1;
}

// The scale factors of a granule in coding order (long part, then short
// bands window by window), as the lower-frequency layout counts them. With
// `band`, the band each value belongs to.
int codingOrder(const GranuleCode& g, int type, int* out, int* band = nullptr) {
    int n = 0;
    const auto put = [&](int value, int b) {
        if (band != nullptr) {
            band[n] = b;
        }
        out[n++] = value;
    };
    const L3GranuleSide& s = g.side;
    if (!s.shortBlocks()) {
        for (int b = 0; b < 21; ++b) {
            put(g.scalefacLong[b], b);
        }
        return n;
    }
    int firstShort = 0;
    if (s.mixedBlock) {
        const int longBands = l3MixedLongBands(static_cast<uint32_t>(type == 0 ? 0 : 1));
        for (int b = 0; b < longBands; ++b) {
            put(g.scalefacLong[b], b);
        }
        firstShort = 3;
    }
    for (int b = firstShort; b < 12; ++b) {
        for (int w = 0; w < kWindows; ++w) {
            put(g.scalefacShort[b][w], b);
        }
    }
    return n;
}

bool chooseMpeg1(GranuleCode& g, const bool* reused) {
    int values[40];
    const int n = codingOrder(g, 0, values);
    // Values of the first slen group and the rest.
    const L3GranuleSide& s = g.side;
    const int split = !s.shortBlocks() ? 11 : (s.mixedBlock ? 17 : 18);
    int max1 = 0, max2 = 0;
    int count1 = 0, count2 = 0;
    for (int i = 0; i < n; ++i) {
        const bool skip = reused != nullptr && !s.shortBlocks() &&
                          reused[i < 6    ? 0
                                 : i < 11 ? 1
                                 : i < 16 ? 2
                                          : 3];
        if (skip) {
            continue;
        }
        if (i < split) {
            max1 = std::max(max1, values[i]);
            ++count1;
        } else {
            max2 = std::max(max2, values[i]);
            ++count2;
        }
    }
    int best = -1, bestBits = 1 << 30;
    for (int c = 0; c < 16; ++c) {
        if (bitsFor(max1) > kSlen1[c] || bitsFor(max2) > kSlen2[c]) {
            continue;
        }
        const int bits = count1 * kSlen1[c] + count2 * kSlen2[c];
        if (bits < bestBits) {
            best = c;
            bestBits = bits;
        }
    }
    if (best < 0) {
        return false;
    }
    g.side.scalefacCompress = static_cast<uint32_t>(best);
    g.slen[0] = kSlen1[best];
    g.slen[1] = kSlen2[best];
    g.part2Bits = bestBits;
    return true;
}

uint32_t lsfCompress(int table, const int* slen, int intensityScale) {
    switch (table) {
        case 0:
            return static_cast<uint32_t>(((slen[0] * 5 + slen[1]) << 4) + (slen[2] << 2) + slen[3]);
        case 1:
            return static_cast<uint32_t>(400 + ((slen[0] * 5 + slen[1]) << 2) + slen[2]);
        case 2:
            return static_cast<uint32_t>(500 + slen[0] * 3 + slen[1]);
        case 3:
            return static_cast<uint32_t>((slen[0] * 36 + slen[1] * 6 + slen[2]) * 2 +
                                         intensityScale);
        case 4:
            return static_cast<uint32_t>((180 + slen[0] * 16 + slen[1] * 4 + slen[2]) * 2 +
                                         intensityScale);
        default:
            return static_cast<uint32_t>((244 + slen[0] * 3 + slen[1]) * 2 + intensityScale);
    }
}

int lsfTable(const GranuleCode& g) {
    const uint32_t c = g.side.scalefacCompress;
    if (g.intensityScale >= 0) {
        const uint32_t half = c >> 1;
        return half < 180 ? 3 : half < 244 ? 4 : 5;
    }
    return c < 400 ? 0 : c < 500 ? 1 : 2;
}

bool chooseLsf(GranuleCode& g) {
    int values[40], bands[40];
    codingOrder(g, 1, values, bands);
    const bool intensity = g.intensityScale >= 0;
    const int kind = blockKind(g.side);
    int bestBits = 1 << 30;
    for (int table = intensity ? 3 : 0; table < (intensity ? 6 : 3); ++table) {
        if (!intensity && (table == 2) != g.side.preflag) {
            continue;
        }
        int slen[4] = {};
        int bits = 0, at = 0;
        bool fits = true;
        for (int group = 0; group < 4; ++group) {
            const int size = kLsfGroups[table][kind][group];
            int m = 0;
            for (int k = 0; k < size; ++k, ++at) {
                // A position must stay below the group's largest value,
                // which marks a band as not intensity coded.
                const bool position = intensity && bands[at] >= g.intensityStart;
                m = std::max(m, values[at] + (position ? 1 : 0));
            }
            slen[group] = bitsFor(m);
            fits = fits && slen[group] <= kLsfSlenLimit[table][group];
            bits += size * slen[group];
        }
        if (fits && at < 40 && bits < bestBits) {
            bestBits = bits;
            std::copy(slen, slen + 4, g.slen);
            g.side.scalefacCompress = lsfCompress(table, slen, g.intensityScale);
        }
    }
    if (bestBits == (1 << 30)) {
        return false;
    }
    g.part2Bits = bestBits;
    return true;
}
}  // namespace

int maxLongScalefactor(int type, int band, bool preflag) {
    if (type == 0) {
        return band < 11 ? 15 : 7;
    }
    if (preflag) {
        return band < 11 ? 7 : 3;
    }
    return band < 11 ? 15 : 7;
}

int maxShortScalefactor(int type, int band) {
    if (type == 0) {
        return band < 6 ? 15 : 7;
    }
    return band < 6 ? 15 : 7;
}

bool chooseScalefacCompress(GranuleCode& g, int type, const bool* reused) {
    return type == 0 ? chooseMpeg1(g, reused) : chooseLsf(g);
}

void writeScalefactors(BitWriter& out, const GranuleCode& g, int type, const bool* reused) {
    int values[40];
    const int n = codingOrder(g, type, values);
    const L3GranuleSide& s = g.side;
    if (type == 0) {
        const int split = !s.shortBlocks() ? 11 : (s.mixedBlock ? 17 : 18);
        for (int i = 0; i < n; ++i) {
            if (reused != nullptr && !s.shortBlocks() &&
                reused[i < 6    ? 0
                       : i < 11 ? 1
                       : i < 16 ? 2
                                : 3]) {
                continue;
            }
            out.put(static_cast<uint32_t>(values[i]), i < split ? g.slen[0] : g.slen[1]);
        }
        return;
    }
    const int table = lsfTable(g);
    int at = 0;
    for (int group = 0; group < 4; ++group) {
        for (int k = 0; k < kLsfGroups[table][blockKind(s)][group]; ++k) {
            out.put(static_cast<uint32_t>(values[at++]), g.slen[group]);
        }
    }
}

}  // namespace mp3::enc
