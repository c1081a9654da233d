#pragma once

#include "mp3/L3Types.h"
#include "mp3/enc/EncTypes.h"

namespace mp3::enc {

// Subband samples of one granule of one channel, slot by slot.
using SubbandGranule = float[kSlots][kSubbands];

// Where each (window, frequency line) of a short block goes in bitstream
// order (band, window, line) for one band table.
struct ShortOrder {
    short position[kWindows][kShortLines];
};
void makeShortOrder(const L3BandTable& bands, ShortOrder& order);

// The hybrid filterbank's second stage for one granule: MDCT of the previous
// and the current granule's subband samples with the block type's window,
// alias reduction for long parts. Short blocks (and the short part of a
// mixed block) come out in bitstream order.
void mdctGranule(const SubbandGranule& previous, const SubbandGranule& current, int blockType,
                 bool mixed, const ShortOrder& order, float* xr);

// The sine counterpart of mdctGranule (the imaginary part of the complex
// MDCT): same windows, same order, the alias butterflies applied alike, so
// that xr[i] + j xi[i] is one line's magnitude and phase.
void mdstGranule(const SubbandGranule& previous, const SubbandGranule& current, int blockType,
                 bool mixed, const ShortOrder& order, float* xi);

// The window shape of a block type (0..3) at n (0..35); short blocks use
// n < 12. Fails with an invariant break for any other type.
float mdctWindow(int blockType, int n);

}  // namespace mp3::enc
