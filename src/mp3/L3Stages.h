#pragma once

#include <cstddef>
#include <cstdint>

#include "mp3/L3BitReader.h"
#include "mp3/L3Types.h"
#include "mp3/Mp3FrameHeader.h"

namespace mp3 {

// The stages of Layer III decoding, in the order a granule runs through
// them. Each works on plain arrays so it can be tested on its own.

// Bytes of side information for a header's version and channel count.
int l3SideInfoBytes(const Mp3FrameHeader& header);

// Reads the side information that follows the header (and check word).
void l3ReadSideInfo(L3BitReader& reader, const Mp3FrameHeader& header, L3SideInfo& side);

// CRC-16 (generator 0x8005, start 0xFFFF) over the header's last 16 bits and
// the side information: the bits the frame's check word protects.
uint16_t l3ProtectedCrc(const uint8_t* frame, int sideInfoBytes);

// Scalefactors of one granule and channel. MPEG-1 keeps the bands that scfsi
// reuses from granule 0; the lower sampling frequencies have their own
// layout, with the intensity variant for the right channel.
void l3ReadScalefactors(L3BitReader& reader, const L3GranuleSide& granule, const bool scfsi[4],
                        int granuleIndex, L3Scalefactors& factors);
void l3ReadScalefactorsLsf(L3BitReader& reader, L3GranuleSide& granule, bool intensityRight,
                           L3Scalefactors& factors);

// One run of lines with one scale: a long band, or one window of a short
// band, in bitstream order.
struct L3BandRuns {
    static constexpr int kMax = kLongBands + kShortBands * kWindows;
    uint16_t end[kMax];
    float gain[kMax];
    uint8_t band[kMax];
    int8_t window[kMax];  // -1 for long bands
    int count = 0;
};

// The scale of every run: 2^((global_gain - 210 - 8 subblock_gain)/4) with
// the scalefactor, preflag and scalefac_scale terms.
void l3BuildBandRuns(const L3GranuleSide& granule, const L3Scalefactors& factors,
                     const L3BandTable& bands, uint32_t version, L3BandRuns& runs);

// |x|^(4/3) for every value the Huffman codes and escape bits can give.
const float* l3Pow43();

// Huffman decoding of the big_values and count1 regions with requantisation.
// `xr` needs room for kGranuleLines + 4 values. Returns the number of lines
// that may be nonzero, or -1 when the codes run past the granule's bits.
int l3DecodeSpectrum(L3BitReader& reader, size_t part3End, const L3GranuleSide& granule,
                     const L3BandTable& bands, uint32_t version, const L3BandRuns& runs, float* xr);

// Joint-stereo processing (mid/side, intensity) of a granule, with the mono
// fold when `downmix` is set (the mean lands in `left`). Bounds are the
// nonzero line counts; both are updated.
struct L3StereoInput {
    const Mp3FrameHeader* header;
    const L3GranuleSide* rightGranule;
    const L3Scalefactors* rightFactors;
    const L3BandTable* bands;
    bool downmix;
};
void l3ProcessStereo(const L3StereoInput& in, float* left, float* right, int bounds[2]);

// Puts short-block lines into frequency order, windows interleaved. Returns
// the nonzero bound in that order: the end of the last band reached.
int l3ReorderShort(float* xr, const L3GranuleSide& granule, const L3BandTable& bands, int bound);

// Alias reduction on the subband boundaries up to one past the last nonzero
// subband, at most subbands - 1 of them. Returns the nonzero bound after it:
// the butterflies spread lines into the next subband.
int l3Antialias(float* xr, const L3GranuleSide& granule, int bound, int subbands);

// IMDCT, windowing and overlap-add of `subbands` subbands into
// out[slot * kSubbands + subband]. With `accumulate` the result is added to
// `out` and `overlap` instead of replacing them (used to fold two channels).
void l3Hybrid(const float* xr, const L3GranuleSide& granule, int bound, int subbands,
              float overlap[kSlots][kSubbands], float* out, bool accumulate);

// Negates odd time slots of odd subbands.
void l3FrequencyInversion(float* out, int subbands);

}  // namespace mp3
