#include "mp3/enc/IntensityStereo.h"

#include <algorithm>
#include <cmath>

#include "mp3/L3Math.h"

namespace mp3::enc {

namespace {
constexpr float kTiny = 1e-20f;
constexpr float kMaxGain = 4.0f;    // beyond this the channels cancel too much to share
constexpr double kCoherence = 0.9;  // squared correlation of the channels a shared band needs

struct SpanEnergy {
    double left = 0, right = 0, shared = 0;  // shared: of left x l + right x r
};

SpanEnergy energyOf(const float* l, const float* r, int begin, int end, IntensityShares k) {
    SpanEnergy e;
    for (int i = begin; i < end; ++i) {
        const double s = k.left * l[i] + k.right * r[i];
        e.left += double{l[i]} * l[i];
        e.right += double{r[i]} * r[i];
        e.shared += s * s;
    }
    return e;
}

// The factor that gives the shared signal both channels' energy back.
float gainOf(const SpanEnergy& e, IntensityShares k) {
    const double spread = (k.left * k.left + k.right * k.right) * e.shared;
    if (spread <= kTiny) {
        return 0.0f;
    }
    return static_cast<float>(std::min(std::sqrt((e.left + e.right) / spread), double{kMaxGain}));
}
}  // namespace

IntensityShares intensityShares(int type, int position, int scale) {
    if (type == kTypeMpeg1) {
        const double s = std::sin(position * kPi / 12.0);
        const double c = std::cos(position * kPi / 12.0);
        return {static_cast<float>(s / (s + c)), static_cast<float>(c / (s + c))};
    }
    if (position == 0) {
        return {1.0f, 1.0f};
    }
    const float weaker =
        static_cast<float>(std::pow(2.0, -(scale != 0 ? 0.5 : 0.25) * ((position + 1) / 2)));
    return (position & 1) != 0 ? IntensityShares{weaker, 1.0f} : IntensityShares{1.0f, weaker};
}

IntensityStereo::IntensityStereo(int type, const L3BandTable& bands, int sampleRate, float floorHz)
    : type_(type), bands_(bands) {
    const float longHz = sampleRate / 2.0f / kGranuleLines;
    floorLong_ = 0;
    while (floorLong_ < kLongBands && bands.longBounds[floorLong_] * longHz < floorHz) {
        ++floorLong_;
    }
    floorShort_ = 0;
    while (floorShort_ < kShortBands && bands.shortBounds[floorShort_] * longHz * 3 < floorHz) {
        ++floorShort_;
    }
}

IntensityStereo::Span IntensityStereo::spanOf(bool shortBlocks, int band, int window) const {
    if (!shortBlocks) {
        return {bands_.longBounds[band], bands_.longBounds[band + 1]};
    }
    const int start = bands_.shortBounds[band];
    const int width = bands_.shortBounds[band + 1] - start;
    const int at = 3 * start + window * width;
    return {at, at + width};
}

// The position nearest the spans' balance, and whether its error stays within
// the headroom of both channels in every span.
IntensityStereo::BandFit IntensityStereo::fit(const StereoGranule& in, const Span* spans, int count,
                                              const float* xminLeft, const float* xminRight,
                                              int scale, float headroom) const {
    double el = 0, er = 0, cross = 0;
    for (int n = 0; n < count; ++n) {
        const SpanEnergy e = energyOf(in.left, in.right, spans[n].begin, spans[n].end, {0, 0});
        el += e.left;
        er += e.right;
        for (int i = spans[n].begin; i < spans[n].end; ++i) {
            cross += double{in.left[i]} * in.right[i];
        }
    }
    const double balance = std::atan2(std::sqrt(el), std::sqrt(er));
    BandFit best{0, 0.0f, false};
    double nearest = 1e9;
    for (int p = 0; p < kIntensityPositions; ++p) {
        const IntensityShares k = intensityShares(type_, p, scale);
        const double d = std::fabs(std::atan2(k.left, k.right) - balance);
        if (d < nearest) {
            nearest = d;
            best.position = p;
        }
    }
    const IntensityShares k = intensityShares(type_, best.position, scale);
    // Channels that do not move together would be heard to collapse into one
    // direction, whatever the model allows.
    const double coherent = cross * cross - kCoherence * el * er;
    best.fits = el + er <= kTiny || coherent >= 0.0;
    for (int n = 0; n < count && best.fits; ++n) {
        const Span s = spans[n];
        const float g = gainOf(energyOf(in.left, in.right, s.begin, s.end, k), k);
        double errLeft = 0, errRight = 0;
        for (int i = s.begin; i < s.end; ++i) {
            const float shared = g * (k.left * in.left[i] + k.right * in.right[i]);
            errLeft += (in.left[i] - k.left * shared) * (in.left[i] - k.left * shared);
            errRight += (in.right[i] - k.right * shared) * (in.right[i] - k.right * shared);
        }
        best.fits = errLeft <= headroom * xminLeft[n] && errRight <= headroom * xminRight[n];
    }
    return best;
}

// From the top band down while every band fits. The top band has no position
// of its own and shares the one below.
IntensityPlan IntensityStereo::planLong(const StereoGranule& in, int scale, float headroom) const {
    IntensityPlan plan;
    plan.scale = scale;
    const float* xl = in.psyLeft->xminLong;
    const float* xr = in.psyRight->xminLong;
    for (int b = kLongBands - 2; b >= floorLong_; --b) {
        const bool top = b == kLongBands - 2;
        const Span spans[2] = {spanOf(false, b, 0), spanOf(false, b + 1, 0)};
        const BandFit f = fit(in, spans, top ? 2 : 1, xl + b, xr + b, scale, headroom);
        if (!f.fits) {
            break;
        }
        plan.position[b] = f.position;
        plan.start = b;
    }
    plan.position[kLongBands - 1] = plan.position[kLongBands - 2];
    return plan;
}

IntensityPlan IntensityStereo::planShort(const StereoGranule& in, int scale, float headroom) const {
    IntensityPlan plan;
    plan.start = kShortBands;
    plan.scale = scale;
    for (int b = kShortBands - 2; b >= floorShort_; --b) {
        const bool top = b == kShortBands - 2;
        int positions[kWindows];
        bool fits = true;
        for (int w = 0; w < kWindows && fits; ++w) {
            const Span spans[2] = {spanOf(true, b, w), spanOf(true, b + 1, w)};
            const float xl[2] = {in.psyLeft->xminShort[b][w], in.psyLeft->xminShort[b + 1][w]};
            const float xr[2] = {in.psyRight->xminShort[b][w], in.psyRight->xminShort[b + 1][w]};
            const BandFit f = fit(in, spans, top ? 2 : 1, xl, xr, scale, headroom);
            positions[w] = f.position;
            fits = f.fits;
        }
        if (!fits) {
            break;
        }
        std::copy(positions, positions + kWindows, plan.positionShort[b]);
        plan.start = b;
    }
    std::copy(plan.positionShort[kShortBands - 2], plan.positionShort[kShortBands - 2] + kWindows,
              plan.positionShort[kShortBands - 1]);
    return plan;
}

IntensityPlan IntensityStereo::plan(const StereoGranule& in, float headroom) const {
    const auto planWith = [&](int scale) {
        return in.shortBlocks ? planShort(in, scale, headroom) : planLong(in, scale, headroom);
    };
    IntensityPlan best = planWith(0);
    if (type_ != kTypeMpeg1) {
        // The coarser scale reaches further apart; take it when it codes more.
        const IntensityPlan wide = planWith(1);
        if (wide.start < best.start) {
            best = wide;
        }
    }
    return best;
}

void IntensityStereo::codeSpan(const StereoGranule& in, Span span, int position, int scale,
                               float* left, float* right) const {
    const IntensityShares k = intensityShares(type_, position, scale);
    const float g = gainOf(energyOf(in.left, in.right, span.begin, span.end, k), k);
    for (int i = span.begin; i < span.end; ++i) {
        left[i] = g * (k.left * in.left[i] + k.right * in.right[i]);
        right[i] = 0.0f;
    }
}

namespace {
// What the shared signal may carry: the noise each channel gets through its
// share stays within what that channel allows.
float sharedXmin(float xminLeft, float xminRight, IntensityShares k) {
    float x = 1e30f;
    if (k.left > 0.0f) {
        x = std::min(x, xminLeft / (k.left * k.left));
    }
    if (k.right > 0.0f) {
        x = std::min(x, xminRight / (k.right * k.right));
    }
    return x;
}
}  // namespace

void IntensityStereo::apply(IntensityPlan& plan, const StereoGranule& in, float* left, float* right,
                            PsyResult& psyLeft) const {
    const PsyResult& l = *in.psyLeft;
    const PsyResult& r = *in.psyRight;
    if (in.shortBlocks) {
        for (int b = plan.start; b < kShortBands; ++b) {
            for (int w = 0; w < kWindows; ++w) {
                const int p = plan.positionShort[b][w];
                codeSpan(in, spanOf(true, b, w), p, plan.scale, left, right);
                psyLeft.xminShort[b][w] = sharedXmin(l.xminShort[b][w], r.xminShort[b][w],
                                                     intensityShares(type_, p, plan.scale));
            }
        }
    } else {
        for (int b = plan.start; b < kLongBands; ++b) {
            const int p = plan.position[b];
            codeSpan(in, spanOf(false, b, 0), p, plan.scale, left, right);
            psyLeft.xminLong[b] =
                sharedXmin(l.xminLong[b], r.xminLong[b], intensityShares(type_, p, plan.scale));
        }
    }
    plan.anchorBand = std::min(plan.start - 1, lastCodedBand(left, in.shortBlocks));
}

// The highest band in which the coded left channel holds anything; a decoder
// reads the right channel's scale factors as positions above its last
// nonzero line, which matters only where the left channel has something.
int IntensityStereo::lastCodedBand(const float* left, bool shortBlocks) const {
    const int bands = shortBlocks ? kShortBands : kLongBands;
    for (int b = bands - 1; b >= 0; --b) {
        for (int w = 0; w < (shortBlocks ? kWindows : 1); ++w) {
            const Span s = spanOf(shortBlocks, b, w);
            if (std::any_of(left + s.begin, left + s.end, [](float v) { return v != 0.0f; })) {
                return b;
            }
        }
    }
    return -1;
}

}  // namespace mp3::enc
