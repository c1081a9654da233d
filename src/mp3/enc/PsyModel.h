#pragma once

#include <vector>

#include "mp3/L3Types.h"
#include "mp3/enc/EncTypes.h"
#include "mp3/enc/PsyParams.h"

namespace mp3::enc {

// What the model gives the loop for one granule of one channel: the energy
// and the allowed noise of every scale-factor band, and the perceptual
// entropy (an estimate of the bits the granule needs).
struct PsyResult {
    float energyLong[kLongBands] = {};
    float xminLong[kLongBands] = {};
    float energyShort[kShortBands][kWindows] = {};
    float xminShort[kShortBands][kWindows] = {};
    float pe = 0.0f;
};

// The fixed layout the model works on for one sample rate: calculation
// partitions within the scale-factor bands, their spreading and the
// threshold in quiet.
class PsyLayout {
  public:
    struct Partition {
        int start;  // line (long) or line within a window (short)
        int end;
        int band;  // scale-factor band it lies in
        float bark;
        float minSnr;  // dB the partition always demands (0 with "nobmax")
    };
    struct Kind {
        std::vector<Partition> parts;
        // Spreading: for target q, sources spreadFirst[q] .. +weights.size().
        std::vector<int> spreadFirst;
        std::vector<std::vector<float>> spreadWeights;
        std::vector<float> norm;
        std::vector<float> quiet;  // threshold in quiet per line (energy)
        int lines = 0;
        int bands = 0;
        const uint16_t* bounds = nullptr;
    };

    PsyLayout(const L3BandTable& bands, int sampleRate, const PsyParams& params);
    const Kind& longKind() const { return long_; }
    const Kind& shortKind() const { return short_; }
    int sampleRate() const { return sampleRate_; }

  private:
    void build(Kind& kind, const uint16_t* bounds, int bandCount, int lines, float lineHz,
               const ThresholdParams& t, bool noBmax);

    int sampleRate_;
    Kind long_;
    Kind short_;
};

// The psychoacoustic model of one channel: tonality from the chaos measure
// of the spectrum against its past, spreading, masking offsets, threshold in
// quiet and pre-echo control.
class PsyModel {
  public:
    PsyModel(const PsyLayout& layout, const PsyParams& params);
    // xr in bitstream order, as the MDCT gave it for blockType; xi, when
    // given, its sine counterpart (complex MDCT): energies then do not
    // depend on a tone's phase, and the prediction behind the tonality
    // follows phase as well as magnitude.
    void analyse(const float* xr, int blockType, bool mixed, PsyResult& out,
                 const float* xi = nullptr);

  private:
    // One block's lines with those of the two blocks before it.
    struct Lines {
        const float* energy;
        const float* prevEnergy[2];
        const float* re = nullptr;  // complex lines; null without xi
        const float* im = nullptr;
        const float* prevRe[2] = {};
        const float* prevIm[2] = {};
    };
    struct History {
        std::vector<float> energy[2];  // newest first
        std::vector<float> re[2];
        std::vector<float> im[2];
        void resize(int lines);
        Lines lines(const float* energy, const float* re, const float* im) const;
        void push(const float* energy, const float* re, const float* im, int lines);
    };

    void chaosWindow(const Lines& lines, int count, float lineHz, const ThresholdParams& t,
                     float* chaos) const;
    void partitionThresholds(const PsyLayout::Kind& kind, const ThresholdParams& t,
                             const float* energy, const float* chaos, float* thr,
                             float* noToneThr) const;
    void preEcho(const ThresholdParams& t, float* thr, const float* prev, int parts) const;
    void bandThresholds(const PsyLayout::Kind& kind, const ThresholdParams& t, const float* thr,
                        const float* energy, float* bandEnergy, float* bandXmin) const;
    void analyseLong(const float* xr, const float* xi, PsyResult& out);
    void analyseShort(const float* xr, const float* xi, PsyResult& out);

    const PsyLayout& layout_;
    PsyParams params_;
    // Lines of the last two granules (long) or windows (short).
    History longHistory_;
    History shortHistory_;
    std::vector<float> prevLongThr_;
    std::vector<float> prevShortThr_;
    bool longHistoryValid_ = false;
    bool shortHistoryValid_ = false;
    int lastBlockType_ = 0;
};

}  // namespace mp3::enc
