#pragma once

#include "mp3/enc/BitWriter.h"
#include "mp3/enc/EncTypes.h"

namespace mp3::enc {

inline constexpr int kPretab[kLongBands] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                            1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

// Long bands of the four scfsi groups (MPEG-1 second granule).
inline constexpr int kScfsiGroupStart[5] = {0, 6, 11, 16, 21};

// The largest scale factor each band may hold with any scalefac_compress;
// the loop keeps below these so that a coding always exists.
int maxLongScalefactor(int type, int band, bool preflag);
int maxShortScalefactor(int type, int band);

// Picks the cheapest scalefac_compress that codes the granule's scale
// factors (with `reused` groups of an MPEG-1 second granule left out) and
// sets side.scalefacCompress, slen and part2Bits. False when none fits.
bool chooseScalefacCompress(GranuleCode& g, int type, const bool* reused);

// Writes the granule's scale factors (part 2).
void writeScalefactors(BitWriter& out, const GranuleCode& g, int type, const bool* reused);

}  // namespace mp3::enc
