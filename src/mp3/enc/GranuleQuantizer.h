#pragma once

#include <vector>

#include "mp3/L3Types.h"
#include "mp3/enc/EncTypes.h"
#include "mp3/enc/HuffmanCoding.h"
#include "mp3/enc/IntensityStereo.h"
#include "mp3/enc/PsyModel.h"

namespace mp3::enc {

// How hard the loop works: the outer (distortion) loop, its amplification
// rule and the last full Huffman search.
struct LoopSettings {
    // 0: outer loop from flat scale factors; 1: outer loop from the noise
    // allocation; 2: noise allocation only; 3: as 1, stopping at the first
    // round that does not improve; 4: as 0, the same way.
    int iterationMode = 2;
    int maxOuterLoops = 14;
    int ampMode = 2;  // 0 all, 1 worst, 2 mean if all, 3 mean if 90 % distorted
    bool fullHuffman = false;
};

// One granule of one channel to code.
struct GranuleTask {
    const float* xr = nullptr;  // bitstream order
    const PsyResult* psy = nullptr;
    int blockType = 0;
    bool mixed = false;
    int budget = 0;           // most part2 + part3 bits
    float noiseScale = 1.0f;  // allowed noise relative to the model's
    bool spendBudget = true;  // constant bitrate: refine down to the budget
    // The right channel of an intensity-coded frame: positions for scale
    // factors from the plan's start, a nonzero line kept from its anchor.
    const IntensityPlan* intensity = nullptr;
};

// Quantises one granule: scale factors from the allowed noise, the global
// gain by the rate loop, refined by the distortion loop, then the Huffman
// choice. The result always fits the budget.
class GranuleQuantizer {
  public:
    static constexpr int kUncodable = 1 << 20;

    GranuleQuantizer(int type, const L3BandTable& bands);
    // Takes the granule (which must outlive code()) and finds its scale
    // factors from the allowed noise, or flat ones in the modes that start so.
    void setup(const GranuleTask& task, const LoopSettings& loop);
    // Bits (part 2 + 3) with the global gain moved by `offset` steps from the
    // allocation's; kUncodable above the 12-bit limit.
    int bitsAt(int offset);
    // Codes the granule within `budget` bits: the rate loop, the distortion
    // loop as the settings ask, and the Huffman choice.
    void code(int budget, GranuleCode& out);

  private:
    struct Band {
        int start;
        int end;
        int band;    // long band or short band
        int window;  // -1 for long bands
        bool hasScalefactor;
    };
    struct State {
        int globalGain = 210;
        bool scale = false;
        bool preflag = false;
        int subblockGain[kWindows] = {};
        int sf[kLongBands + kShortBands * kWindows] = {};  // by band index in the layout
    };
    struct Evaluation {
        int overCount = 0;
        float overSum = 0.0f;
        float maxOver = 0.0f;
        float over[kLongBands + kShortBands * kWindows] = {};  // dB above the allowed noise
    };

    const std::vector<Band>& layoutFor(int blockType, bool mixed) const;
    void prepare(const GranuleTask& task);
    int shiftOf(const State& s, size_t c) const;
    int exponentOf(const State& s, size_t c) const { return s.globalGain - 210 - shiftOf(s, c); }
    void quantizeAll(const State& s);
    float bandNoise(size_t c, int exponent) const;
    int largestExponent(size_t c, float allowed) const;
    int lowestGain(const State& s) const;
    bool fillScalefactors(const State& s, GranuleCode& code) const;
    int countBits(const State& s, GranuleCode& code, HuffmanChoice& choice);
    bool rateLoop(State& s, int budget, GranuleCode& code, HuffmanChoice& choice);
    bool raiseGain(State& s, int budget, GranuleCode& code, HuffmanChoice& choice);
    void allocateNoise(State& s) const;
    Evaluation evaluate(const State& s) const;
    void outerLoop(State& s, int budget, const LoopSettings& loop);
    bool amplify(State& s, const Evaluation& ev, int ampMode, std::vector<bool>& amplified) const;
    void finish(const State& s, const HuffmanChoice& choice, GranuleCode& code) const;
    void prepareIntensity();
    void applyPositions(State& s) const;
    void keepAnchors();

    int type_;
    const L3BandTable& bands_;
    std::vector<Band> long_, short_, mixed_;
    const std::vector<Band>* layout_ = nullptr;
    GranuleTask taskCopy_;
    const GranuleTask* task_ = nullptr;
    LoopSettings loop_;
    State base_;
    GranuleCode baseCode_;
    bool baseCodable_ = false;
    float xr34_[kGranuleLines] = {};
    float bandMax34_[kLongBands + kShortBands * kWindows] = {};
    // Per band: the lowest exponent that keeps its peak within the tables
    // (the int minimum for a silent band), for the gain's lower bound.
    int peakExponent_[kLongBands + kShortBands * kWindows] = {};
    float xmin_[kLongBands + kShortBands * kWindows] = {};
    float energy_[kLongBands + kShortBands * kWindows] = {};
    int ix_[kGranuleLines] = {};
    int nonzeroEnd_ = 0;  // one past the last nonzero line
    // Intensity positions by band index in the layout (-1: a scale factor).
    int position_[kLongBands + kShortBands * kWindows] = {};
    // Per window (or once for long blocks): the layout bands of which one
    // must keep a nonzero line, and the line that is kept when none does.
    struct Anchor {
        std::vector<int> bands;
        int line = -1;
    };
    std::vector<Anchor> anchors_;
};

}  // namespace mp3::enc
