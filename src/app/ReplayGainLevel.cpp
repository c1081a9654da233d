#include "app/ReplayGainLevel.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "app/Settings.h"

namespace app {

namespace {

// A tag's gain beyond these is taken for damage, not a measurement; the
// factor stays within them as well.
constexpr double kMinDb = -30.0;
constexpr double kMaxDb = 20.0;

struct Level {
    std::optional<double> gainDb;
    std::optional<double> peak;
};

Level levelOf(const tags::ReplayGain& gain, bool album) {
    return album ? Level{gain.albumGainDb, gain.albumPeak}
                 : Level{gain.trackGainDb, gain.trackPeak};
}

bool plausibleGain(const std::optional<double>& db) {
    return db && *db >= kMinDb && *db <= kMaxDb;
}

bool usablePeak(const std::optional<double>& peak) {
    return peak && std::isfinite(*peak) && *peak > 0;
}

double factorOf(double db) {
    return std::pow(10.0, db / 20.0);
}

}  // namespace

ReplayGainMode replayGainModeOf(int32_t stored) {
    const bool known = stored >= static_cast<int32_t>(ReplayGainMode::Off) &&
                       stored <= static_cast<int32_t>(ReplayGainMode::Album);
    return static_cast<ReplayGainMode>(known ? stored : settings::kReplayGain.defaultValue);
}

int32_t replayGainPreampOf(int32_t storedTenths) {
    const bool known = storedTenths >= kMinPreampTenths && storedTenths <= kMaxPreampTenths;
    return known ? storedTenths : settings::kReplayGainPreamp.defaultValue;
}

float replayGainFactor(const tags::ReplayGain& gain, ReplayGainMode mode, double preampDb) {
    if (mode != ReplayGainMode::Track && mode != ReplayGainMode::Album) {
        return 1.0f;
    }
    const Level wanted = levelOf(gain, mode == ReplayGainMode::Album);
    const Level other = levelOf(gain, mode != ReplayGainMode::Album);
    const bool fallBack = !plausibleGain(wanted.gainDb) && plausibleGain(other.gainDb);
    const Level& taken = fallBack ? other : wanted;
    const Level& spare = fallBack ? wanted : other;

    const double gainDb = plausibleGain(taken.gainDb) ? *taken.gainDb : 0.0;
    const double db = gainDb + (std::isfinite(preampDb) ? preampDb : 0.0);
    double factor = factorOf(std::clamp(db, kMinDb, kMaxDb));
    if (const auto& peak = usablePeak(taken.peak) ? taken.peak : spare.peak; usablePeak(peak)) {
        factor = std::min(factor, 1.0 / *peak);
    }
    return static_cast<float>(std::max(factor, factorOf(kMinDb)));
}

}  // namespace app
