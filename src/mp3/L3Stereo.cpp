#include <algorithm>
#include <array>

#include "mp3/L3Math.h"
#include "mp3/L3Stages.h"

namespace mp3 {

namespace {
constexpr float kSqrtHalf = 0.7071067811865476f;
constexpr int kIntensityStepsV1 = 7;
// The position that marks a band as not intensity coded. The reference
// decoders use 7 at the lower sampling frequencies too, so a band whose
// scalefactor length is below 3 bits can never be illegal.
constexpr int kIllegalPosition = 7;

struct Ratio {
    float left;
    float right;
};

// MPEG-1: left/right shares tan(p pi/12) / (1 + tan) and 1 / (1 + tan).
constexpr std::array<Ratio, kIntensityStepsV1> kRatiosV1 = [] {
    std::array<Ratio, kIntensityStepsV1> r{};
    for (int p = 0; p < kIntensityStepsV1; ++p) {
        const double s = constSin(p * kPi / 12.0);
        const double c = constCos(p * kPi / 12.0);
        r[static_cast<size_t>(p)] = {static_cast<float>(s / (s + c)),
                                     static_cast<float>(c / (s + c))};
    }
    return r;
}();

// Lower sampling frequencies: one side keeps the value, the other is scaled
// by io^((p + 1) / 2), io = 2^(-1/4) or 2^(-1/2) by intensity_scale.
Ratio ratioLsf(int position, bool intensityScale) {
    if (position == 0) {
        return {1.0f, 1.0f};
    }
    const int steps = (position + 1) / 2;
    const float io = intensityScale ? kSqrtHalf : 0.8408964152537145f;
    float scale = 1.0f;
    for (int i = 0; i < steps; ++i) {
        scale *= io;
    }
    return (position & 1) ? Ratio{scale, 1.0f} : Ratio{1.0f, scale};
}

enum class RunMode { kLeftRight, kMidSide, kIntensity };

struct RunPlan {
    RunMode mode;
    Ratio ratio;
};

// Classes of runs for the intensity bound: long bands, then short windows.
int runClass(const L3BandRuns& runs, int r) {
    return runs.window[r] + 1;
}

// The highest band of each class holding a nonzero right-channel line.
std::array<int, 4> lastNonzeroBands(const L3BandRuns& runs, const float* right, int bound) {
    std::array<int, 4> last = {-1, -1, -1, -1};
    int start = 0;
    for (int r = 0; r < runs.count && start < bound; start = runs.end[r++]) {
        const int end = std::min<int>(runs.end[r], bound);
        if (std::any_of(right + start, right + end, [](float v) { return v != 0.0f; })) {
            last[static_cast<size_t>(runClass(runs, r))] = runs.band[r];
        }
    }
    return last;
}

bool intensityCoded(const L3BandRuns& runs, int r, const std::array<int, 4>& last) {
    const bool shortPartUsed = last[1] >= 0 || last[2] >= 0 || last[3] >= 0;
    if (runs.window[r] < 0) {
        return !shortPartUsed && runs.band[r] > last[0];
    }
    return runs.band[r] > last[static_cast<size_t>(runClass(runs, r))];
}

// The intensity position of a run; the top band carries none of its own and
// takes the one below.
bool intensityPosition(const L3StereoInput& in, const L3BandRuns& runs, int r, int* position) {
    const L3Scalefactors& f = *in.rightFactors;
    const int w = runs.window[r];
    if (w < 0) {
        const int b = std::min<int>(runs.band[r], kLongBands - 2);
        *position = f.longBand[b];
        return *position != kIllegalPosition;
    }
    const int b = std::min<int>(runs.band[r], kShortBands - 2);
    *position = f.shortBand[b][w];
    return *position != kIllegalPosition;
}

RunPlan planRun(const L3StereoInput& in, const L3BandRuns& runs, int r,
                const std::array<int, 4>& last, bool midSide, bool intensity) {
    int position = 0;
    if (intensity && intensityCoded(runs, r, last) && intensityPosition(in, runs, r, &position)) {
        if (in.header->version == kMp3Version1) {
            return {RunMode::kIntensity, kRatiosV1[static_cast<size_t>(std::min(position, 6))]};
        }
        return {RunMode::kIntensity, ratioLsf(position, in.rightFactors->intensityScale)};
    }
    return {midSide ? RunMode::kMidSide : RunMode::kLeftRight, {1.0f, 1.0f}};
}

void applyRun(const RunPlan& plan, bool downmix, float* left, float* right, int start, int end) {
    for (int i = start; i < end; ++i) {
        const float l = left[i];
        const float r = right[i];
        switch (plan.mode) {
            case RunMode::kLeftRight:
                left[i] = downmix ? (l + r) * 0.5f : l;
                break;
            case RunMode::kMidSide:
                left[i] = downmix ? l * kSqrtHalf : (l + r) * kSqrtHalf;
                right[i] = (l - r) * kSqrtHalf;
                break;
            case RunMode::kIntensity:
                left[i] =
                    downmix ? l * (plan.ratio.left + plan.ratio.right) * 0.5f : l * plan.ratio.left;
                right[i] = l * plan.ratio.right;
                break;
        }
    }
}
}  // namespace

void l3ProcessStereo(const L3StereoInput& in, float* left, float* right, int bounds[2]) {
    const bool joint = in.header->mode == 1;
    const bool midSide = joint && (in.header->modeExtension & 2) != 0;
    const bool intensity = joint && (in.header->modeExtension & 1) != 0;
    const int top = std::max(bounds[0], bounds[1]);
    bounds[0] = bounds[1] = top;
    if (!midSide && !intensity) {
        if (in.downmix) {
            applyRun({RunMode::kLeftRight, {1.0f, 1.0f}}, true, left, right, 0, top);
        }
        return;
    }
    L3BandRuns runs;
    l3BuildBandRuns(*in.rightGranule, *in.rightFactors, *in.bands, in.header->version, runs);
    const std::array<int, 4> last =
        intensity ? lastNonzeroBands(runs, right, top) : std::array<int, 4>{};
    int start = 0;
    for (int r = 0; r < runs.count && start < top; start = runs.end[r++]) {
        const RunPlan plan = planRun(in, runs, r, last, midSide, intensity);
        applyRun(plan, in.downmix, left, right, start, std::min<int>(runs.end[r], top));
    }
}

}  // namespace mp3
