#include "mp3/enc/PsyModel.h"

#include <algorithm>
#include <cmath>

#include "mp3/enc/Mdct.h"

namespace mp3::enc {

namespace {
constexpr float kPartitionBark = 0.35f;
constexpr float kSpreadFloorDb = -60.0f;
constexpr float kHoleDb = -3.0f;
// A full-scale sine is 96 dB; the transforms keep 32 x (sample energy)
// as the band energy of a tone (see the threshold in quiet below).
constexpr float kFullScaleDb = 96.0f;
constexpr float kQuietBandEnergy = 1.0f;
constexpr float kTiny = 1e-20f;

float barkOf(float hz) {
    return 13.0f * std::atan(0.00076f * hz) + 3.5f * std::atan((hz / 7500.0f) * (hz / 7500.0f));
}

// Threshold in quiet (dB SPL) of a tone.
float quietDb(float hz) {
    const float khz = std::max(hz, 20.0f) / 1000.0f;
    const float db = 3.64f * std::pow(khz, -0.8f) -
                     6.5f * std::exp(-0.6f * (khz - 3.3f) * (khz - 3.3f)) +
                     0.001f * khz * khz * khz * khz;
    return std::min(db, 90.0f);
}

float tonalityOf(float chaos) {
    return std::clamp(-0.299f - 0.43f * std::log(std::max(chaos, 1e-4f)), 0.0f, 1.0f);
}

// Peak filter: a line is tonal when it stands out of its neighbours; `step`
// 1 checks every line, 2 only pairs of lines.
void peakChaos(const float* e, int begin, int end, int lines, int step, float* chaos) {
    for (int k = begin; k < end; k += step) {
        const float here = step == 1 ? e[k] : e[k] + (k + 1 < lines ? e[k + 1] : 0.0f);
        const int reach = 2 * step;
        const float left = k >= reach ? e[k - reach] : 0.0f;
        const float right = k + reach < lines ? e[k + reach] : 0.0f;
        const float near =
            std::max(k >= 1 ? e[k - 1] : 0.0f, k + step < lines ? e[k + step] : 0.0f);
        const bool tonal = here >= near && here > 6.0f * std::max(left, right) && here > kTiny;
        const float c = tonal ? 0.05f : 1.0f;
        for (int j = k; j < std::min(k + step, end); ++j) {
            chaos[j] = std::min(chaos[j], c);
        }
        if (tonal) {
            if (k >= 1) {
                chaos[k - 1] = std::min(chaos[k - 1], 0.2f);
            }
            if (k + step < lines) {
                chaos[k + step] = std::min(chaos[k + step], 0.2f);
            }
        }
    }
}

// Euclidean distance of the magnitude against its prediction from the two
// previous spectra; `step` 2 computes it once per pair of lines.
void predictionChaos(const float* e, const float* p1, const float* p2, int begin, int end, int step,
                     float* chaos) {
    for (int k = begin; k < end; k += step) {
        float r = e[k], r1 = p1[k], r2 = p2[k];
        if (step == 2) {
            r += e[k + 1];
            r1 += p1[k + 1];
            r2 += p2[k + 1];
        }
        r = std::sqrt(r);
        const float predicted = 2.0f * std::sqrt(r1) - std::sqrt(r2);
        const float c = std::fabs(r - predicted) / (r + std::fabs(predicted) + kTiny);
        for (int j = k; j < k + step; ++j) {
            chaos[j] = std::min(c, 1.0f);
        }
    }
}
// The same distance for complex lines: magnitude and phase both continue
// linearly from the two previous blocks, as a steady tone's do.
void complexChaos(const float* re, const float* im, const float* const* prevRe,
                  const float* const* prevIm, int begin, int end, int step, float* chaos) {
    for (int k = begin; k < end; k += step) {
        const float r1 = std::hypot(prevRe[0][k], prevIm[0][k]);
        const float r2 = std::hypot(prevRe[1][k], prevIm[1][k]);
        // Unit phasors of the previous two lines; the prediction turns the
        // newer one on by their difference.
        const float c1 = r1 > kTiny ? prevRe[0][k] / r1 : 1.0f;
        const float s1 = r1 > kTiny ? prevIm[0][k] / r1 : 0.0f;
        const float c2 = r2 > kTiny ? prevRe[1][k] / r2 : 1.0f;
        const float s2 = r2 > kTiny ? -prevIm[1][k] / r2 : 0.0f;
        const float turnRe = c1 * c2 - s1 * s2;
        const float turnIm = c1 * s2 + s1 * c2;
        const float predicted = 2.0f * r1 - r2;
        const float pRe = predicted * (c1 * turnRe - s1 * turnIm);
        const float pIm = predicted * (c1 * turnIm + s1 * turnRe);
        const float r = std::hypot(re[k], im[k]);
        const float c = std::hypot(re[k] - pRe, im[k] - pIm) / (r + std::fabs(predicted) + kTiny);
        for (int j = k; j < std::min(k + step, end); ++j) {
            chaos[j] = std::min(c, 1.0f);
        }
    }
}
}  // namespace

void PsyModel::History::resize(int lines) {
    for (int i = 0; i < 2; ++i) {
        energy[i].assign(static_cast<size_t>(lines), 0.0f);
        re[i].assign(static_cast<size_t>(lines), 0.0f);
        im[i].assign(static_cast<size_t>(lines), 0.0f);
    }
}

PsyModel::Lines PsyModel::History::lines(const float* e, const float* r, const float* i) const {
    Lines l{e, {energy[0].data(), energy[1].data()}};
    if (r != nullptr) {
        l.re = r;
        l.im = i;
        l.prevRe[0] = re[0].data();
        l.prevRe[1] = re[1].data();
        l.prevIm[0] = im[0].data();
        l.prevIm[1] = im[1].data();
    }
    return l;
}

void PsyModel::History::push(const float* e, const float* r, const float* i, int count) {
    energy[1].swap(energy[0]);
    std::copy(e, e + count, energy[0].begin());
    if (r != nullptr) {
        re[1].swap(re[0]);
        im[1].swap(im[0]);
        std::copy(r, r + count, re[0].begin());
        std::copy(i, i + count, im[0].begin());
    }
}

PsyLayout::PsyLayout(const L3BandTable& bands, int sampleRate, const PsyParams& params)
    : sampleRate_(sampleRate) {
    const float longHz = sampleRate / 2.0f / kGranuleLines;
    build(long_, bands.longBounds, kLongBands, kGranuleLines, longHz, params.longBlock,
          params.noBmax);
    build(short_, bands.shortBounds, kShortBands, kShortLines, longHz * 3, params.shortBlock,
          params.noBmax);
}

void PsyLayout::build(Kind& kind, const uint16_t* bounds, int bandCount, int lines, float lineHz,
                      const ThresholdParams& t, bool noBmax) {
    kind.lines = lines;
    kind.bands = bandCount;
    kind.bounds = bounds;
    for (int b = 0; b < bandCount; ++b) {
        const int start = bounds[b];
        const int width = bounds[b + 1] - start;
        const float span = barkOf(bounds[b + 1] * lineHz) - barkOf(start * lineHz);
        const int n = std::clamp(static_cast<int>(span / kPartitionBark + 0.5f), 1, width);
        for (int i = 0; i < n; ++i) {
            Partition p{};
            p.start = start + width * i / n;
            p.end = start + width * (i + 1) / n;
            p.band = b;
            p.bark = barkOf((p.start + p.end) * 0.5f * lineHz);
            p.minSnr = noBmax ? 0.0f : std::max(0.0f, 12.0f - 0.6f * p.bark);
            kind.parts.push_back(p);
        }
    }
    const int count = static_cast<int>(kind.parts.size());
    kind.spreadFirst.assign(static_cast<size_t>(count), 0);
    kind.spreadWeights.assign(static_cast<size_t>(count), {});
    kind.norm.assign(static_cast<size_t>(count), 1.0f);
    for (int q = 0; q < count; ++q) {
        float sum = 0.0f;
        for (int p = 0; p < count; ++p) {
            const float dz =
                kind.parts[static_cast<size_t>(q)].bark - kind.parts[static_cast<size_t>(p)].bark;
            float db = dz >= 0.0f ? -t.maskHigh * dz : t.maskLow * dz;
            if (!t.maskNoHole && p != q && std::fabs(dz) < 0.5f) {
                db += kHoleDb;
            }
            if (db < kSpreadFloorDb) {
                continue;
            }
            auto& w = kind.spreadWeights[static_cast<size_t>(q)];
            if (w.empty()) {
                kind.spreadFirst[static_cast<size_t>(q)] = p;
            }
            w.resize(static_cast<size_t>(p - kind.spreadFirst[static_cast<size_t>(q)] + 1), 0.0f);
            w.back() = std::pow(10.0f, db / 10.0f);
            sum += w.back();
        }
        kind.norm[static_cast<size_t>(q)] = 1.0f / sum;
    }
    kind.quiet.resize(static_cast<size_t>(bandCount));
    for (int b = 0; b < bandCount; ++b) {
        float db = 200.0f;
        for (int k = bounds[b]; k < bounds[b + 1]; ++k) {
            db = std::min(db, quietDb((k + 0.5f) * lineHz));
        }
        kind.quiet[static_cast<size_t>(b)] =
            kQuietBandEnergy * std::pow(10.0f, (db - kFullScaleDb) / 10.0f);
    }
}

PsyModel::PsyModel(const PsyLayout& layout, const PsyParams& params)
    : layout_(layout), params_(params) {
    longHistory_.resize(kGranuleLines);
    shortHistory_.resize(kShortLines);
    prevLongThr_.assign(layout.longKind().parts.size(), 0.0f);
    prevShortThr_.assign(layout.shortKind().parts.size(), 0.0f);
}

void PsyModel::chaosWindow(const Lines& l, int lines, float lineHz, const ThresholdParams& t,
                           float* chaos) const {
    std::fill(chaos, chaos + lines, 1.0f);
    const int toneEnd = std::min(lines, static_cast<int>(t.toneLimitFreq / lineHz) & ~1);
    const int combEnd = std::min(toneEnd, static_cast<int>(t.toneCombLimitFreq / lineHz) & ~1);
    const auto predict = [&](int begin, int step) {
        if (l.re != nullptr) {
            complexChaos(l.re, l.im, l.prevRe, l.prevIm, begin, toneEnd, step, chaos);
        } else {
            predictionChaos(l.energy, l.prevEnergy[0], l.prevEnergy[1], begin, toneEnd, step,
                            chaos);
        }
    };
    switch (t.chaosMethod) {
        case 0:
            predict(0, 1);
            break;
        case 1:
            predict(0, 2);
            break;
        case 2:
            peakChaos(l.energy, 0, toneEnd, lines, 1, chaos);
            break;
        case 3:
            peakChaos(l.energy, 0, toneEnd, lines, 2, chaos);
            break;
        case 4:
            predict(combEnd, 1);
            peakChaos(l.energy, 0, combEnd, lines, 1, chaos);
            break;
        default:
            encInvariantFailed("CalculateChaosMeasure() called with unknown chaos method", __FILE__,
                               __LINE__);
    }
}

void PsyModel::partitionThresholds(const PsyLayout::Kind& kind, const ThresholdParams& t,
                                   const float* energy, const float* chaos, float* thr,
                                   float* noToneThr) const {
    const size_t count = kind.parts.size();
    float e[kGranuleLines];
    float ec[kGranuleLines];
    for (size_t p = 0; p < count; ++p) {
        float sum = 0.0f, weighted = 0.0f;
        for (int k = kind.parts[p].start; k < kind.parts[p].end; ++k) {
            sum += energy[k];
            weighted += energy[k] * chaos[k];
        }
        e[p] = sum;
        ec[p] = weighted;
    }
    for (size_t q = 0; q < count; ++q) {
        const auto& w = kind.spreadWeights[q];
        const size_t first = static_cast<size_t>(kind.spreadFirst[q]);
        float en = 0.0f, ecn = 0.0f;
        for (size_t i = 0; i < w.size(); ++i) {
            en += w[i] * e[first + i];
            ecn += w[i] * ec[first + i];
        }
        const float tone = tonalityOf(ecn / (en + kTiny));
        const float minSnr = kind.parts[q].minSnr;
        const float snr = std::max(tone * t.tmn + (1.0f - tone) * t.nmt, minSnr);
        en *= kind.norm[q];
        thr[q] = en * std::pow(10.0f, -snr / 10.0f);
        noToneThr[q] = en * std::pow(10.0f, -std::max(t.nmt, minSnr) / 10.0f);
    }
}

void PsyModel::preEcho(const ThresholdParams& t, float* thr, const float* prev, int parts) const {
    for (int q = 0; q < parts; ++q) {
        const float limited = std::min(thr[q], t.rpre * prev[q]);
        thr[q] = std::max(limited, t.rpmin * thr[q]);
    }
}

void PsyModel::bandThresholds(const PsyLayout::Kind& kind, const ThresholdParams& t,
                              const float* thr, const float* energy, float* bandEnergy,
                              float* bandXmin) const {
    std::fill(bandEnergy, bandEnergy + kind.bands, 0.0f);
    std::fill(bandXmin, bandXmin + kind.bands, 0.0f);
    float minDensity[kLongBands];
    std::fill(minDensity, minDensity + kLongBands, 1e30f);
    for (size_t p = 0; p < kind.parts.size(); ++p) {
        const auto& part = kind.parts[p];
        bandXmin[part.band] += thr[p];
        minDensity[part.band] =
            std::min(minDensity[part.band], thr[p] / static_cast<float>(part.end - part.start));
    }
    for (int b = 0; b < kind.bands; ++b) {
        const int width = kind.bounds[b + 1] - kind.bounds[b];
        for (int k = kind.bounds[b]; k < kind.bounds[b + 1]; ++k) {
            bandEnergy[b] += energy[k];
        }
        if (b < t.cbMode) {
            bandXmin[b] = minDensity[b] * static_cast<float>(width);
        }
        bandXmin[b] = std::max(bandXmin[b], kind.quiet[static_cast<size_t>(b)]);
    }
}

namespace {
// Line energy on the MDCT's scale: a complex line holds twice a real
// line's mean energy.
float lineEnergy(const float* xr, const float* xi, int i) {
    return xi == nullptr ? xr[i] * xr[i] : 0.5f * (xr[i] * xr[i] + xi[i] * xi[i]);
}

// Bands of a few lines resolve too little to trust one window alone: all
// three windows take the most demanding ratio among them.
void checkShortRatios(const PsyLayout::Kind& kind, PsyResult& out) {
    for (int b = 0; b < kShortBands; ++b) {
        if (kind.bounds[b + 1] - kind.bounds[b] > 4) {
            continue;
        }
        float ratio = 1e30f;
        for (int w = 0; w < kWindows; ++w) {
            ratio = std::min(ratio, out.xminShort[b][w] / (out.energyShort[b][w] + kTiny));
        }
        for (int w = 0; w < kWindows; ++w) {
            out.xminShort[b][w] =
                std::max(std::min(out.xminShort[b][w], ratio * out.energyShort[b][w]),
                         kind.quiet[static_cast<size_t>(b)]);
        }
    }
}
}  // namespace

void PsyModel::analyseLong(const float* xr, const float* xi, PsyResult& out) {
    const PsyLayout::Kind& kind = layout_.longKind();
    const ThresholdParams& t = params_.longBlock;
    float energy[kGranuleLines], chaos[kGranuleLines];
    for (int k = 0; k < kGranuleLines; ++k) {
        energy[k] = lineEnergy(xr, xi, k);
    }
    const float lineHz = layout_.sampleRate() / 2.0f / kGranuleLines;
    if (!longHistoryValid_ && (t.chaosMethod == 0 || t.chaosMethod == 1)) {
        std::fill(chaos, chaos + kGranuleLines, 1.0f);
    } else {
        chaosWindow(longHistory_.lines(energy, xi ? xr : nullptr, xi), kGranuleLines, lineHz, t,
                    chaos);
    }
    const int parts = static_cast<int>(kind.parts.size());
    std::vector<float> thr(static_cast<size_t>(parts)), noTone(static_cast<size_t>(parts));
    partitionThresholds(kind, t, energy, chaos, thr.data(), noTone.data());
    if (lastBlockType_ != kBlockShort) {
        preEcho(t, thr.data(), prevLongThr_.data(), parts);
    }
    const std::vector<float>& keep = params_.preNoTone ? noTone : thr;
    std::copy(keep.begin(), keep.end(), prevLongThr_.begin());
    bandThresholds(kind, t, thr.data(), energy, out.energyLong, out.xminLong);
    longHistory_.push(energy, xi ? xr : nullptr, xi, kGranuleLines);
    longHistoryValid_ = true;
}

void PsyModel::analyseShort(const float* xr, const float* xi, PsyResult& out) {
    const PsyLayout::Kind& kind = layout_.shortKind();
    const ThresholdParams& t = params_.shortBlock;
    const float lineHz = layout_.sampleRate() / 2.0f / kShortLines;
    const int parts = static_cast<int>(kind.parts.size());
    std::vector<float> thr(static_cast<size_t>(parts)), noTone(static_cast<size_t>(parts));
    for (int w = 0; w < kWindows; ++w) {
        float energy[kShortLines], chaos[kShortLines], re[kShortLines], im[kShortLines];
        for (int b = 0; b < kShortBands; ++b) {
            const int start = kind.bounds[b];
            const int width = kind.bounds[b + 1] - start;
            for (int i = 0; i < width; ++i) {
                const int at = 3 * start + w * width + i;
                energy[start + i] = lineEnergy(xr, xi, at);
                re[start + i] = xr[at];
                im[start + i] = xi != nullptr ? xi[at] : 0.0f;
            }
        }
        const float* complexRe = xi != nullptr ? re : nullptr;
        chaosWindow(shortHistory_.lines(energy, complexRe, im), kShortLines, lineHz, t, chaos);
        partitionThresholds(kind, t, energy, chaos, thr.data(), noTone.data());
        if (shortHistoryValid_ || w > 0) {
            preEcho(t, thr.data(), prevShortThr_.data(), parts);
        }
        const std::vector<float>& keep = params_.preNoTone ? noTone : thr;
        std::copy(keep.begin(), keep.end(), prevShortThr_.begin());
        float bandEnergy[kShortBands], bandXmin[kShortBands];
        bandThresholds(kind, t, thr.data(), energy, bandEnergy, bandXmin);
        for (int b = 0; b < kShortBands; ++b) {
            out.energyShort[b][w] = bandEnergy[b];
            out.xminShort[b][w] = bandXmin[b];
        }
        shortHistory_.push(energy, complexRe, im, kShortLines);
    }
    shortHistoryValid_ = true;
    if (params_.checkShort) {
        checkShortRatios(kind, out);
    }
}

void PsyModel::analyse(const float* xr, int blockType, bool mixed, PsyResult& out,
                       const float* xi) {
    out = PsyResult{};
    if (blockType == kBlockShort) {
        analyseShort(xr, xi, out);
        if (mixed) {
            // The long part of a mixed block is judged as a long granule.
            PsyResult longPart;
            analyseLong(xr, xi, longPart);
            std::copy(longPart.energyLong, longPart.energyLong + kLongBands, out.energyLong);
            std::copy(longPart.xminLong, longPart.xminLong + kLongBands, out.xminLong);
        }
        longHistoryValid_ = false;
    } else {
        analyseLong(xr, xi, out);
        shortHistoryValid_ = false;
    }
    lastBlockType_ = blockType;
    float pe = 0.0f;
    if (blockType == kBlockShort) {
        const auto& k = layout_.shortKind();
        for (int b = 0; b < kShortBands; ++b) {
            for (int w = 0; w < kWindows; ++w) {
                const float r = out.energyShort[b][w] / (out.xminShort[b][w] + kTiny);
                pe += static_cast<float>(k.bounds[b + 1] - k.bounds[b]) * 1.66f *
                      std::log10(std::max(r, 1.0f));
            }
        }
    } else {
        const auto& k = layout_.longKind();
        for (int b = 0; b < kLongBands; ++b) {
            const float r = out.energyLong[b] / (out.xminLong[b] + kTiny);
            pe += static_cast<float>(k.bounds[b + 1] - k.bounds[b]) * 1.66f *
                  std::log10(std::max(r, 1.0f));
        }
    }
    out.pe = pe;
}

}  // namespace mp3::enc
