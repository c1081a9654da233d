#include "dsp/EqualizerSettings.h"

#include <algorithm>

namespace dsp {

bool EqualizerSettings::isNeutral() const {
    return !enabled || (gainDb == 0 && std::all_of(levelsDb.begin(), levelsDb.end(),
                                                   [](double level) { return level == 0; }));
}

}  // namespace dsp
