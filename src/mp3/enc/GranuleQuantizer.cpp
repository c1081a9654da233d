#include "mp3/enc/GranuleQuantizer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mp3/L3Bands.h"
#include "mp3/enc/ScalefactorCoding.h"

namespace mp3::enc {

namespace {
constexpr int kExpOffset = 400;
constexpr int kExpRange = 700;
constexpr float kRounding = 0.4054f;
constexpr float kTiny = 1e-20f;
constexpr int kOuterPatience = 6;
constexpr int kNoPeak = std::numeric_limits<int>::min();

struct QuantTables {
    float step34[kExpRange];  // 2^(-3/16 e): divides |xr|^(3/4)
    float step[kExpRange];    // 2^(e/4): the decoder's step
    float pow43[kMaxQuantValue + 1];
};

const QuantTables& quantTables() {
    static const QuantTables kTables = [] {
        QuantTables t{};
        for (int i = 0; i < kExpRange; ++i) {
            const int e = i - kExpOffset;
            t.step34[i] = static_cast<float>(std::pow(2.0, -0.1875 * e));
            t.step[i] = static_cast<float>(std::pow(2.0, 0.25 * e));
        }
        for (int i = 0; i <= kMaxQuantValue; ++i) {
            t.pow43[i] = static_cast<float>(std::pow(i, 4.0 / 3.0));
        }
        return t;
    }();
    return kTables;
}

int clampExp(int e) {
    return std::clamp(e, -kExpOffset, kExpRange - kExpOffset - 1);
}
}  // namespace

GranuleQuantizer::GranuleQuantizer(int type, const L3BandTable& bands)
    : type_(type), bands_(bands) {
    for (int b = 0; b < kLongBands; ++b) {
        long_.push_back({bands.longBounds[b], bands.longBounds[b + 1], b, -1, b < 21});
    }
    const auto addShort = [&bands](std::vector<Band>& out, int first) {
        for (int b = first; b < kShortBands; ++b) {
            const int start = bands.shortBounds[b];
            const int width = bands.shortBounds[b + 1] - start;
            for (int w = 0; w < kWindows; ++w) {
                const int at = 3 * start + w * width;
                out.push_back({at, at + width, b, w, b < 12});
            }
        }
    };
    addShort(short_, 0);
    const int mixedLong = l3MixedLongBands(static_cast<uint32_t>(type == 0 ? 0 : 1));
    for (int b = 0; b < mixedLong; ++b) {
        mixed_.push_back(long_[static_cast<size_t>(b)]);
    }
    addShort(mixed_, 3);
}

const std::vector<GranuleQuantizer::Band>& GranuleQuantizer::layoutFor(int blockType,
                                                                       bool mixed) const {
    if (blockType != kBlockShort) {
        return long_;
    }
    return mixed ? mixed_ : short_;
}

void GranuleQuantizer::prepare(const GranuleTask& task) {
    taskCopy_ = task;
    task_ = &taskCopy_;
    layout_ = &layoutFor(task.blockType, task.mixed);
    nonzeroEnd_ = 0;
    for (int i = 0; i < kGranuleLines; ++i) {
        const float a = std::fabs(task.xr[i]);
        xr34_[i] = std::sqrt(a * std::sqrt(a));
        nonzeroEnd_ = a > 0.0f ? i + 1 : nonzeroEnd_;
    }
    std::fill(ix_ + nonzeroEnd_, ix_ + kGranuleLines, 0);
    for (size_t c = 0; c < layout_->size(); ++c) {
        const Band& b = (*layout_)[c];
        float m = 0.0f, e = 0.0f;
        for (int i = b.start; i < b.end; ++i) {
            m = std::max(m, xr34_[i]);
            e += task.xr[i] * task.xr[i];
        }
        bandMax34_[c] = m;
        peakExponent_[c] =
            m > 0.0f ? static_cast<int>(
                           std::ceil(-16.0 / 3.0 * std::log2((kMaxQuantValue - kRounding) / m)))
                     : kNoPeak;
        energy_[c] = e;
        const PsyResult& p = *task.psy;
        const float x = b.window < 0 ? p.xminLong[b.band] : p.xminShort[b.band][b.window];
        xmin_[c] = x * task.noiseScale;
    }
    prepareIntensity();
}

void GranuleQuantizer::prepareIntensity() {
    std::fill(std::begin(position_), std::end(position_), -1);
    anchors_.clear();
    const IntensityPlan* plan = task_->intensity;
    if (plan == nullptr) {
        return;
    }
    anchors_.resize(task_->blockType == kBlockShort ? kWindows : 1);
    for (size_t c = 0; c < layout_->size(); ++c) {
        const Band& b = (*layout_)[c];
        if (b.band >= plan->start) {
            if (b.hasScalefactor) {
                position_[c] =
                    b.window < 0 ? plan->position[b.band] : plan->positionShort[b.band][b.window];
            }
            continue;
        }
        if (plan->anchorBand < 0 || b.band < plan->anchorBand) {
            continue;
        }
        Anchor& a = anchors_[static_cast<size_t>(std::max(b.window, 0))];
        a.bands.push_back(static_cast<int>(c));
        if (b.band == plan->anchorBand) {
            a.line = b.start;
            for (int i = b.start; i < b.end; ++i) {
                a.line = std::fabs(task_->xr[i]) > std::fabs(task_->xr[a.line]) ? i : a.line;
            }
            nonzeroEnd_ = std::max(nonzeroEnd_, b.end);
        }
    }
}

void GranuleQuantizer::applyPositions(State& s) const {
    if (task_->intensity == nullptr) {
        return;
    }
    s.preflag = false;
    for (size_t c = 0; c < layout_->size(); ++c) {
        if (position_[c] >= 0) {
            s.sf[c] = position_[c];
        }
    }
}

// A band the right channel leaves empty below the intensity start would
// move a decoder's start down: the loudest line of the anchor band stays.
void GranuleQuantizer::keepAnchors() {
    for (const Anchor& a : anchors_) {
        bool kept = false;
        for (const int c : a.bands) {
            const Band& b = (*layout_)[static_cast<size_t>(c)];
            kept = kept || std::any_of(ix_ + b.start, ix_ + b.end, [](int v) { return v != 0; });
        }
        if (!kept && a.line >= 0) {
            ix_[a.line] = 1;
        }
    }
}

int GranuleQuantizer::shiftOf(const State& s, size_t c) const {
    const Band& b = (*layout_)[c];
    const int multiplier = s.scale ? 4 : 2;
    if (b.window < 0) {
        const int pre = s.preflag ? kPretab[b.band] : 0;
        return multiplier * (s.sf[c] + pre);
    }
    return 8 * s.subblockGain[b.window] + multiplier * s.sf[c];
}

void GranuleQuantizer::quantizeAll(const State& s) {
    const QuantTables& t = quantTables();
    // Lines above the last nonzero one stay zero from prepare().
    for (size_t c = 0; c < layout_->size() && (*layout_)[c].start < nonzeroEnd_; ++c) {
        const Band& b = (*layout_)[c];
        const float q = t.step34[clampExp(exponentOf(s, c)) + kExpOffset];
        for (int i = b.start; i < b.end; ++i) {
            ix_[i] = static_cast<int>(xr34_[i] * q + kRounding);
        }
    }
    keepAnchors();
}

float GranuleQuantizer::bandNoise(size_t c, int exponent) const {
    const QuantTables& t = quantTables();
    const Band& b = (*layout_)[c];
    const int e = clampExp(exponent) + kExpOffset;
    const float q = t.step34[e];
    const float step = t.step[e];
    float noise = 0.0f;
    for (int i = b.start; i < b.end; ++i) {
        const int v = std::min(static_cast<int>(xr34_[i] * q + kRounding), kMaxQuantValue);
        const float d = std::fabs(task_->xr[i]) - t.pow43[v] * step;
        noise += d * d;
    }
    return noise;
}

// The coarsest exponent whose noise stays within `allowed` (binary search;
// noise grows with the exponent).
int GranuleQuantizer::largestExponent(size_t c, float allowed) const {
    const float m = bandMax34_[c];
    if (energy_[c] <= allowed || m <= 0.0f) {
        return kExpRange - kExpOffset - 1;
    }
    // Finest exponent that still codes the peak; coarsest that keeps any line.
    int lo = static_cast<int>(std::ceil(-16.0 / 3.0 * std::log2(kMaxQuantValue / m)));
    int hi = static_cast<int>(std::floor(16.0 / 3.0 * std::log2(m / (1.0f - kRounding)))) + 1;
    lo = clampExp(lo);
    hi = clampExp(std::max(hi, lo));
    if (bandNoise(c, lo) > allowed) {
        return lo;
    }
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (bandNoise(c, mid) <= allowed) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return lo;
}

// The lowest global gain for which no quantised value exceeds the tables.
int GranuleQuantizer::lowestGain(const State& s) const {
    int gain = 0;
    for (size_t c = 0; c < layout_->size(); ++c) {
        if (peakExponent_[c] != kNoPeak) {
            gain = std::max(gain, peakExponent_[c] + 210 + shiftOf(s, c));
        }
    }
    return std::min(gain, 255);
}

void GranuleQuantizer::allocateNoise(State& s) const {
    const size_t count = layout_->size();
    int target[kLongBands + kShortBands * kWindows];
    constexpr int kFree = kExpRange - kExpOffset - 1;
    int base = kFree;  // a granule whose bands are all masked codes nothing
    bool anyCoded = false;
    for (size_t c = 0; c < count; ++c) {
        target[c] = largestExponent(c, xmin_[c]);
        if ((*layout_)[c].hasScalefactor && target[c] < kFree) {
            base = anyCoded ? std::max(base, target[c]) : target[c];
            anyCoded = true;
        }
    }
    base = std::clamp(base, -210, 45);
    s = State{};
    s.globalGain = base + 210;
    int shift[kLongBands + kShortBands * kWindows];
    for (size_t c = 0; c < count; ++c) {
        shift[c] = (*layout_)[c].hasScalefactor ? std::max(base - target[c], 0) : 0;
    }
    if (task_->blockType == kBlockShort) {
        for (int w = 0; w < kWindows; ++w) {
            int least = 1 << 20;
            for (size_t c = 0; c < count; ++c) {
                if ((*layout_)[c].window == w && (*layout_)[c].hasScalefactor) {
                    least = std::min(least, shift[c]);
                }
            }
            s.subblockGain[w] = std::clamp(least / 8, 0, 7);
        }
    }
    // Scale factors in steps of 2 (or 4 when a band needs more than the
    // small steps reach), rounded up so that the band gets at least its due.
    for (const bool scale : {false, true}) {
        s.scale = scale;
        bool fits = true;
        for (size_t c = 0; c < count; ++c) {
            const Band& b = (*layout_)[c];
            if (!b.hasScalefactor) {
                continue;
            }
            const int rest = shift[c] - (b.window < 0 ? 0 : 8 * s.subblockGain[b.window]);
            const int step = scale ? 4 : 2;
            const int limit = b.window < 0 ? maxLongScalefactor(type_, b.band, false)
                                           : maxShortScalefactor(type_, b.band);
            const int sf = (std::max(rest, 0) + step - 1) / step;
            fits = fits && sf <= limit;
            s.sf[c] = std::min(sf, limit);
        }
        if (fits) {
            break;
        }
    }
    if (task_->blockType != kBlockShort && task_->intensity == nullptr) {
        bool pre = true;
        for (int b = 11; b < 21; ++b) {
            pre = pre && s.sf[b] >= kPretab[b];
        }
        if (pre) {
            s.preflag = true;
            for (int b = 11; b < 21; ++b) {
                s.sf[b] -= kPretab[b];
                s.sf[b] = std::min(s.sf[b], maxLongScalefactor(type_, b, true));
            }
        }
    }
    applyPositions(s);
}

bool GranuleQuantizer::fillScalefactors(const State& s, GranuleCode& code) const {
    code = GranuleCode{};
    L3GranuleSide& side = code.side;
    side.blockType = static_cast<uint32_t>(task_->blockType);
    side.windowSwitching = task_->blockType != kBlockNormal;
    side.mixedBlock = task_->mixed && task_->blockType == kBlockShort;
    side.preflag = s.preflag;
    side.scalefacScale = s.scale;
    for (size_t c = 0; c < layout_->size(); ++c) {
        const Band& b = (*layout_)[c];
        if (!b.hasScalefactor) {
            continue;
        }
        if (b.window < 0) {
            code.scalefacLong[b.band] = s.sf[c];
        } else {
            code.scalefacShort[b.band][b.window] = s.sf[c];
        }
    }
    for (int w = 0; w < kWindows; ++w) {
        side.subblockGain[w] = static_cast<uint32_t>(s.subblockGain[w]);
    }
    if (task_->intensity != nullptr) {
        code.intensityScale = task_->intensity->scale;
        code.intensityStart = task_->intensity->start;
    }
    return chooseScalefacCompress(code, type_, nullptr);
}

int GranuleQuantizer::countBits(const State& s, GranuleCode& code, HuffmanChoice& choice) {
    quantizeAll(s);
    choice = chooseHuffman(ix_, bands_.longBounds, task_->blockType != kBlockNormal, false);
    return choice.bits + code.part2Bits;
}

// Lowest global gain whose bits fit the budget (binary search; the bits
// fall as the gain rises). False when even the coarsest gain does not fit.
bool GranuleQuantizer::rateLoop(State& s, int budget, GranuleCode& code, HuffmanChoice& choice) {
    if (!fillScalefactors(s, code)) {
        return false;
    }
    int lo = lowestGain(s);
    int hi = 255;
    s.globalGain = hi;
    if (countBits(s, code, choice) > budget) {
        return false;
    }
    HuffmanChoice best = choice;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        s.globalGain = mid;
        if (countBits(s, code, choice) <= budget) {
            hi = mid;
            best = choice;
        } else {
            lo = mid + 1;
        }
    }
    s.globalGain = hi;
    quantizeAll(s);
    choice = best;
    return true;
}

// After an amplification the gain can only rise: step it up from where it
// was until the bits fit again.
bool GranuleQuantizer::raiseGain(State& s, int budget, GranuleCode& code, HuffmanChoice& choice) {
    if (!fillScalefactors(s, code)) {
        return false;
    }
    s.globalGain = std::max(s.globalGain, lowestGain(s));
    while (countBits(s, code, choice) > budget) {
        if (s.globalGain == 255) {
            return false;
        }
        ++s.globalGain;
    }
    return true;
}

GranuleQuantizer::Evaluation GranuleQuantizer::evaluate(const State& s) const {
    Evaluation ev;
    for (size_t c = 0; c < layout_->size(); ++c) {
        if (!(*layout_)[c].hasScalefactor || position_[c] >= 0) {
            continue;
        }
        const float ratio = bandNoise(c, exponentOf(s, c)) / (xmin_[c] + kTiny);
        if (ratio > 1.0f) {
            ++ev.overCount;
            const float db = 10.0f * std::log10(ratio);
            ev.over[c] = db;
            ev.overSum += db;
            ev.maxOver = std::max(ev.maxOver, db);
        }
    }
    return ev;
}

namespace {
// Fewer distorted bands first, then less distortion above the allowed noise.
bool fewerDistortions(int overA, float sumA, int overB, float sumB) {
    return overA < overB || (overA == overB && sumA < sumB);
}
}  // namespace

// Raises the scale factors of the bands the amplify mode picks. False when
// nothing could be raised (all at their limit, or every band amplified).
bool GranuleQuantizer::amplify(State& s, const Evaluation& ev, int ampMode,
                               std::vector<bool>& amplified) const {
    const size_t count = layout_->size();
    int capable = 0;
    for (size_t c = 0; c < count; ++c) {
        capable += (*layout_)[c].hasScalefactor && position_[c] < 0;
    }
    const int distorted = ev.overCount;
    const float mean = ev.overSum / static_cast<float>(std::max(distorted, 1));
    const float* over = ev.over;
    float threshold = 0.0f;
    if (ampMode == 1) {
        threshold = ev.maxOver;
    } else if ((ampMode == 2 && distorted == capable) ||
               (ampMode == 3 && distorted * 10 >= capable * 9)) {
        threshold = mean;
    }
    bool raised = false;
    for (size_t c = 0; c < count; ++c) {
        const Band& b = (*layout_)[c];
        if (!b.hasScalefactor || over[c] <= 0.0f || over[c] < threshold) {
            continue;
        }
        const int limit = b.window < 0 ? maxLongScalefactor(type_, b.band, s.preflag)
                                       : maxShortScalefactor(type_, b.band);
        if (s.sf[c] < limit) {
            ++s.sf[c];
            amplified[c] = true;
            raised = true;
        }
    }
    const bool all = std::all_of(amplified.begin(), amplified.end(), [](bool v) { return v; });
    return raised && !all;
}

void GranuleQuantizer::outerLoop(State& s, int budget, const LoopSettings& loop) {
    std::vector<bool> amplified(layout_->size(), false);
    for (size_t c = 0; c < layout_->size(); ++c) {
        amplified[c] = !(*layout_)[c].hasScalefactor || position_[c] >= 0;
    }
    GranuleCode code;
    HuffmanChoice choice;
    State best = s;
    Evaluation bestEv = evaluate(s);
    // Modes 3 and 4 stop at the first round without gain; the others give
    // up after a few, since later rounds rarely win back what they lose.
    const int patience = loop.iterationMode >= 3 ? 1 : kOuterPatience;
    State current = s;
    Evaluation ev = bestEv;
    int idle = 0;
    for (int round = 0; round < loop.maxOuterLoops && bestEv.overCount > 0; ++round) {
        if (!amplify(current, ev, loop.ampMode, amplified) ||
            !raiseGain(current, budget, code, choice)) {
            break;
        }
        ev = evaluate(current);
        if (fewerDistortions(ev.overCount, ev.overSum, bestEv.overCount, bestEv.overSum)) {
            best = current;
            bestEv = ev;
            idle = 0;
        } else if (++idle >= patience) {
            break;
        }
    }
    s = best;
}

void GranuleQuantizer::finish(const State& s, const HuffmanChoice& choice,
                              GranuleCode& code) const {
    L3GranuleSide& side = code.side;
    side.globalGain = static_cast<uint32_t>(s.globalGain);
    side.bigValues = static_cast<uint32_t>(choice.bigValues);
    side.tableSelect[0] = static_cast<uint32_t>(choice.table[0]);
    side.tableSelect[1] = static_cast<uint32_t>(choice.table[1]);
    side.tableSelect[2] = static_cast<uint32_t>(choice.table[2]);
    side.region0Count = static_cast<uint32_t>(choice.region0Count);
    side.region1Count = static_cast<uint32_t>(choice.region1Count);
    side.count1TableB = choice.count1TableB;
    side.part23Length = static_cast<uint32_t>(choice.bits + code.part2Bits);
    code.count1End = choice.count1End;
    for (int i = 0; i < kGranuleLines; ++i) {
        code.ix[static_cast<size_t>(i)] = task_->xr[i] < 0.0f ? -ix_[i] : ix_[i];
    }
}

void GranuleQuantizer::setup(const GranuleTask& task, const LoopSettings& loop) {
    prepare(task);
    loop_ = loop;
    base_ = State{};
    applyPositions(base_);
    if (loop.iterationMode != 0 && loop.iterationMode != 4) {
        allocateNoise(base_);
    }
    baseCodable_ = fillScalefactors(base_, baseCode_);
    if (!baseCodable_) {
        base_ = State{};
        applyPositions(base_);
        baseCodable_ = fillScalefactors(base_, baseCode_);
    }
}

int GranuleQuantizer::bitsAt(int offset) {
    State s = base_;
    s.globalGain = std::clamp(base_.globalGain + offset, lowestGain(base_), 255);
    HuffmanChoice choice;
    const int bits = countBits(s, baseCode_, choice);
    return bits > kMaxPart23Bits ? kUncodable : bits;
}

void GranuleQuantizer::code(int budget, GranuleCode& out) {
    budget = std::min(budget, kMaxPart23Bits);
    State s = base_;
    HuffmanChoice choice;
    bool fitted = rateLoop(s, budget, out, choice);
    if (fitted && loop_.iterationMode != 2) {
        outerLoop(s, budget, loop_);
        fitted = rateLoop(s, budget, out, choice);
    }
    if (!fitted) {
        // Scale factors alone exceed the budget: code it flat instead.
        s = State{};
        applyPositions(s);
        fitted = rateLoop(s, budget, out, choice);
        MP3ENC_CHECK(fitted);
    }
    if (loop_.fullHuffman && task_->blockType == kBlockNormal) {
        choice = chooseHuffman(ix_, bands_.longBounds, false, true);
    }
    finish(s, choice, out);
    MP3ENC_CHECK(static_cast<int>(out.side.part23Length) <= budget);
}

}  // namespace mp3::enc
