#include "dsp/EqualizerDesign.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace dsp {

namespace {

// Highest centre as a share of the rate: the bell needs room below Nyquist.
constexpr double kHighestCentre = 0.45;
// A centre pushed down closer than this to the band below it would only
// fight that band's filter: the band is left out.
constexpr double kClosestRatio = 1.6;
// Gain at which the interaction of the filters is measured.
constexpr double kProbeDb = 6;
constexpr double kCentreWeight = 1;
constexpr double kMidpointWeight = 1;
constexpr int kCorrections = 12;
constexpr double kToleranceDb = 1e-4;
constexpr double kSmallestShare = 1.0 / 64;

}  // namespace

EqualizerDesign::EqualizerDesign(double rate) : rate_(rate) {
    double below = 0;
    for (size_t b = 0; b < kEqualizerBands; ++b) {
        centres_[b] = std::min(kCentresHz[b], rate * kHighestCentre);
        active_[b] = centres_[b] >= below * kClosestRatio;
        if (active_[b]) {
            below = centres_[b];
            if (!bands_.empty()) {
                const size_t previous = bands_.back();
                points_.push_back({std::sqrt(centres_[previous] * centres_[b]),
                                   previous,
                                   b,
                                   kMidpointWeight,
                                   {}});
            }
            points_.push_back({centres_[b], b, b, kCentreWeight, {}});
            bands_.push_back(b);
        }
    }
    for (Point& p : points_) {
        for (const size_t b : bands_) {
            p.share[b] = Filter(b, kProbeDb).responseDb(p.hz, rate_) / kProbeDb;
        }
    }
    Factor();
}

// LU with partial pivoting of the normal matrix (sum of weight x share x
// share over the points), indexed by position in bands_.
void EqualizerDesign::Factor() {
    const size_t n = bands_.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j) {
            double sum = 0;
            for (const Point& p : points_) {
                sum += p.weight * p.share[bands_[i]] * p.share[bands_[j]];
            }
            lu_[i][j] = sum;
        }
    }
    for (size_t k = 0; k < n; ++k) {
        size_t best = k;
        for (size_t i = k + 1; i < n; ++i) {
            if (std::abs(lu_[i][k]) > std::abs(lu_[best][k])) {
                best = i;
            }
        }
        pivot_[k] = best;
        std::swap(lu_[k], lu_[best]);
        for (size_t i = k + 1; i < n; ++i) {
            lu_[i][k] /= lu_[k][k];
            for (size_t j = k + 1; j < n; ++j) {
                lu_[i][j] -= lu_[i][k] * lu_[k][j];
            }
        }
    }
}

BiquadCoefficients EqualizerDesign::Filter(size_t band, double gainDb) const {
    return BiquadCoefficients::peaking(centres_[band], kBandwidthOctaves, gainDb, rate_);
}

double EqualizerDesign::ResponseDb(const Vector& filterGains, double hz) const {
    double total = 0;
    for (const size_t b : bands_) {
        if (filterGains[b] != 0) {
            total += Filter(b, filterGains[b]).responseDb(hz, rate_);
        }
    }
    return total;
}

// The filter gains (inactive bands 0) that best meet the wanted levels at
// the design points, in the linear model of the shares.
EqualizerDesign::Vector EqualizerDesign::Solve(const std::vector<double>& pointErrors) const {
    const size_t n = bands_.size();
    Vector x{};
    for (size_t i = 0; i < n; ++i) {
        for (size_t p = 0; p < points_.size(); ++p) {
            x[i] += points_[p].weight * points_[p].share[bands_[i]] * pointErrors[p];
        }
    }
    for (size_t k = 0; k < n; ++k) {
        std::swap(x[k], x[pivot_[k]]);
        for (size_t i = k + 1; i < n; ++i) {
            x[i] -= lu_[i][k] * x[k];
        }
    }
    for (size_t k = n; k-- > 0;) {
        for (size_t j = k + 1; j < n; ++j) {
            x[k] -= lu_[k][j] * x[j];
        }
        x[k] /= lu_[k][k];
    }
    Vector gains{};
    for (size_t i = 0; i < n; ++i) {
        gains[bands_[i]] = x[i];
    }
    return gains;
}

// Each correction is taken only as far as it lowers the weighted error: the
// linear model is rough where bells are wide (near Nyquist at low rates).
EqualizerDesign::Vector EqualizerDesign::FilterGains(const Vector& levelsDb) const {
    std::vector<double> wanted(points_.size());
    for (size_t p = 0; p < points_.size(); ++p) {
        wanted[p] = (levelsDb[points_[p].low] + levelsDb[points_[p].high]) / 2;
    }
    std::vector<double> error(points_.size());
    const auto cost = [&](const Vector& gains) {
        double sum = 0;
        for (size_t p = 0; p < points_.size(); ++p) {
            error[p] = wanted[p] - ResponseDb(gains, points_[p].hz);
            sum += points_[p].weight * error[p] * error[p];
        }
        return sum;
    };
    Vector gains{};
    double best = cost(gains);
    for (int round = 0; round <= kCorrections; ++round) {
        const Vector step = Solve(error);
        bool taken = false;
        bool settled = false;
        for (double share = 1; share >= kSmallestShare && !taken; share /= 2) {
            Vector trial = gains;
            for (const size_t b : bands_) {
                trial[b] = std::clamp(trial[b] + share * step[b], -kMaxFilterDb, kMaxFilterDb);
            }
            // cost() leaves error for the trial: when taken, for the gains.
            if (const double c = cost(trial); c < best) {
                settled = best - c < kToleranceDb * kToleranceDb;
                best = c;
                gains = trial;
                taken = true;
            }
        }
        if (!taken || settled) {
            break;
        }
    }
    return gains;
}

}  // namespace dsp
