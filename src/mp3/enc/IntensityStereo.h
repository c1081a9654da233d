#pragma once

#include "mp3/L3Types.h"
#include "mp3/enc/EncTypes.h"
#include "mp3/enc/PsyModel.h"

namespace mp3::enc {

// Intensity positions a stream uses: 0..6 in every version. 7 marks a band
// as not intensity coded in MPEG-1; the lower sampling frequencies mark it by
// the largest value of the band's scale-factor length, and common decoders
// by 7 there too, so positions above 6 are never written.
inline constexpr int kIntensityPositions = 7;

// One granule's intensity coding: from band `start` up (short bands in a
// short granule) the left channel carries both channels and the right
// channel's scale factors are positions. A decoder takes the band above the
// right channel's last nonzero line as the start, so the right channel must
// keep a nonzero line from `anchorBand` up to below `start`.
struct IntensityPlan {
    int start = kLongBands;
    int anchorBand = -1;
    int scale = 0;  // lower sampling frequencies: intensity_scale
    int position[kLongBands] = {};
    int positionShort[kShortBands][kWindows] = {};

    bool active(bool shortBlocks) const { return start < (shortBlocks ? kShortBands : kLongBands); }
};

// The shares of a position: a decoder gives the left channel left x v and
// the right channel right x v of the coded value v.
struct IntensityShares {
    float left;
    float right;
};
IntensityShares intensityShares(int type, int position, int scale);

// Both channels of one granule before any stereo coding.
struct StereoGranule {
    const float* left;
    const float* right;
    const PsyResult* psyLeft;
    const PsyResult* psyRight;
    bool shortBlocks;
};

// Decides where intensity coding is transparent enough and codes it.
class IntensityStereo {
  public:
    // type: 0 MPEG-1, else the lower sampling frequencies. No band below
    // floorHz is coded by intensity.
    IntensityStereo(int type, const L3BandTable& bands, int sampleRate, float floorHz);

    // The lowest start from which every band's intensity error stays within
    // `headroom` x the allowed noise of each channel, and the positions.
    IntensityPlan plan(const StereoGranule& in, float headroom) const;
    // Writes the coded pair from the start up (the left channel's allowed
    // noise becomes what both channels allow through their shares) and sets
    // the anchor band from the coded left channel.
    void apply(IntensityPlan& plan, const StereoGranule& in, float* left, float* right,
               PsyResult& psyLeft) const;

  private:
    struct Span {
        int begin;
        int end;
    };
    struct BandFit {
        int position;
        float gain;
        bool fits;
    };

    Span spanOf(bool shortBlocks, int band, int window) const;
    BandFit fit(const StereoGranule& in, const Span* spans, int count, const float* xminLeft,
                const float* xminRight, int scale, float headroom) const;
    IntensityPlan planLong(const StereoGranule& in, int scale, float headroom) const;
    IntensityPlan planShort(const StereoGranule& in, int scale, float headroom) const;
    void codeSpan(const StereoGranule& in, Span span, int position, int scale, float* left,
                  float* right) const;
    int lastCodedBand(const float* left, bool shortBlocks) const;

    int type_;
    const L3BandTable& bands_;
    int floorLong_;
    int floorShort_;
};

}  // namespace mp3::enc
