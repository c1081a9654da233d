#include "dsp/SpectrumMeter.h"

#include <algorithm>
#include <cmath>

namespace dsp {

namespace {

constexpr int kFloorDb = -60;
constexpr int kFullDb = -10;

}  // namespace

SpectrumMeter::SpectrumMeter(size_t bands) {
    SetBands(bands);
}

void SpectrumMeter::SetBands(size_t bands) {
    bars_.assign(bands, Bar{});
    shown_.assign(bands * kSegments, Segment::kOff);
}

void SpectrumMeter::SetValue(size_t band, double db) {
    if (band >= bars_.size()) {
        return;
    }
    const auto v = static_cast<int>(std::trunc(db));
    int target = 0;
    if (v > kSilentDb) {
        const int clamped = std::clamp(v, kFloorDb, kFullDb);
        target = std::clamp((clamped - kFloorDb) * 10 * 2 / (kFullDb - kFloorDb), 0, kMaxHeight);
    }
    Bar& bar = bars_[band];
    if (target > bar.held) {
        bar.held = target;
        if (target > bar.height) {
            bar.height = target + 1;
        }
    }
}

SpectrumMeter::Segment SpectrumMeter::State(size_t band, int segment) const {
    const int h = bars_[band].height;
    if (segment < (h - 1) / 2) {
        return Segment::kLit;
    }
    return segment < h / 2 ? Segment::kTop : Segment::kOff;
}

std::vector<size_t> SpectrumMeter::Draw(bool full) {
    std::vector<size_t> changed;
    for (size_t b = 0; b < bars_.size(); ++b) {
        for (int s = 0; s < kSegments; ++s) {
            const size_t at = b * kSegments + static_cast<size_t>(s);
            const Segment now = State(b, s);
            if (full || now != shown_[at]) {
                changed.push_back(at);
            }
            shown_[at] = now;
        }
        Bar& bar = bars_[b];
        if (bar.height > 0 && --bar.height == 0) {
            bar.held = 0;
        }
    }
    return changed;
}

bool SpectrumMeter::Moving() const {
    return std::any_of(bars_.begin(), bars_.end(), [](const Bar& b) { return b.height > 0; });
}

}  // namespace dsp
