#include "mp3/L3Bands.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
// scalefac_compress -> (slen1, slen2), MPEG-1.
constexpr uint8_t kSlen[2][16] = {{0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
                                  {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};

// Long bands of the four scfsi groups.
constexpr int kScfsiGroupEnd[4] = {6, 11, 16, 21};

// Scalefactors per slen group for the lower sampling frequencies, by the
// table chosen from scalefac_compress and by block kind (long, short, mixed).
constexpr uint8_t kLsfGroupSizes[6][3][4] = {{{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
                                             {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
                                             {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
                                             {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
                                             {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
                                             {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}}};

struct LsfLayout {
    int slen[4];
    int table;
    bool preflag;
};

LsfLayout lsfLayout(uint32_t sfc, bool intensityRight) {
    LsfLayout l{};
    if (intensityRight) {
        sfc >>= 1;
        if (sfc < 180) {
            l = {{static_cast<int>(sfc / 36), static_cast<int>(sfc % 36 / 6),
                  static_cast<int>(sfc % 36 % 6), 0},
                 3,
                 false};
        } else if (sfc < 244) {
            sfc -= 180;
            l = {{static_cast<int>(sfc % 64 >> 4), static_cast<int>(sfc % 16 >> 2),
                  static_cast<int>(sfc % 4), 0},
                 4,
                 false};
        } else {
            sfc -= 244;
            l = {{static_cast<int>(sfc / 3), static_cast<int>(sfc % 3), 0, 0}, 5, false};
        }
    } else if (sfc < 400) {
        l = {{static_cast<int>((sfc >> 4) / 5), static_cast<int>((sfc >> 4) % 5),
              static_cast<int>((sfc & 15) >> 2), static_cast<int>(sfc & 3)},
             0,
             false};
    } else if (sfc < 500) {
        sfc -= 400;
        l = {{static_cast<int>((sfc >> 2) / 5), static_cast<int>((sfc >> 2) % 5),
              static_cast<int>(sfc & 3), 0},
             1,
             false};
    } else {
        sfc -= 500;
        l = {{static_cast<int>(sfc / 3), static_cast<int>(sfc % 3), 0, 0}, 2, true};
    }
    return l;
}

void readShortBands(L3BitReader& reader, int first, int end, int slen, L3Scalefactors& f) {
    for (int b = first; b < end; ++b) {
        for (uint8_t& value : f.shortBand[b]) {
            value = static_cast<uint8_t>(reader.get(static_cast<unsigned>(slen)));
        }
    }
}
}  // namespace

void l3ReadScalefactors(L3BitReader& reader, const L3GranuleSide& granule, const bool scfsi[4],
                        int granuleIndex, L3Scalefactors& factors) {
    const int slen1 = kSlen[0][granule.scalefacCompress & 15];
    const int slen2 = kSlen[1][granule.scalefacCompress & 15];
    if (granule.shortBlocks()) {
        int first = 0;
        if (granule.mixedBlock) {
            for (int b = 0; b < l3MixedLongBands(kMp3Version1); ++b) {
                factors.longBand[b] = static_cast<uint8_t>(reader.get(slen1));
            }
            first = 3;
        }
        readShortBands(reader, first, 6, slen1, factors);
        readShortBands(reader, 6, 12, slen2, factors);
        factors.shortBand[12][0] = factors.shortBand[12][1] = factors.shortBand[12][2] = 0;
        return;
    }
    int band = 0;
    for (int group = 0; group < 4; ++group) {
        const int slen = group < 2 ? slen1 : slen2;
        const bool reuse = granuleIndex == 1 && scfsi[group];
        for (; band < kScfsiGroupEnd[group]; ++band) {
            if (!reuse) {
                factors.longBand[band] = static_cast<uint8_t>(reader.get(slen));
            }
        }
    }
    factors.longBand[21] = 0;
}

void l3ReadScalefactorsLsf(L3BitReader& reader, L3GranuleSide& granule, bool intensityRight,
                           L3Scalefactors& factors) {
    const LsfLayout layout = lsfLayout(granule.scalefacCompress, intensityRight);
    granule.preflag = layout.preflag;
    factors.intensityScale = intensityRight && (granule.scalefacCompress & 1) != 0;
    const int kind = granule.shortBlocks() ? (granule.mixedBlock ? 2 : 1) : 0;
    const uint8_t* sizes = kLsfGroupSizes[layout.table][kind];
    factors = L3Scalefactors{.intensityScale = factors.intensityScale};
    // Long bands first (all of them, or the mixed block's six), then short
    // bands from the first one coded short, three windows each.
    int longLeft = kind == 0 ? kLongBands : (kind == 2 ? 6 : 0);
    int longBand = 0;
    int shortIndex = kind == 2 ? 3 * kWindows : 0;
    for (int group = 0; group < 4; ++group) {
        const int slen = layout.slen[group];
        for (int n = 0; n < sizes[group]; ++n) {
            const uint8_t value = static_cast<uint8_t>(reader.get(static_cast<unsigned>(slen)));
            if (longLeft > 0) {
                factors.longBand[longBand++] = value;
                --longLeft;
            } else if (shortIndex < kShortBands * kWindows) {
                factors.shortBand[shortIndex / 3][shortIndex % 3] = value;
                ++shortIndex;
            }
        }
    }
}

}  // namespace mp3
