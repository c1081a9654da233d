#include "mp3/enc/BlockSwitch.h"

#include <algorithm>

namespace mp3::enc {

namespace {
constexpr int kSegments = 6;
constexpr int kSegmentSlots = kSlots / kSegments;
constexpr float kAttackRatio = 12.0f;    // about 11 dB over the recent level
constexpr float kSilenceEnergy = 1e-6f;  // below that nothing is audible
}  // namespace

bool BlockSwitch::wantsShort(const SubbandGranule& granule) {
    if (mode_ != 0) {
        return mode_ == 2;
    }
    float energy[kSegments] = {};
    for (int s = 0; s < kSegments; ++s) {
        for (int t = s * kSegmentSlots; t < (s + 1) * kSegmentSlots; ++t) {
            // The lowest subband carries the bass, which masks no attack.
            for (int sb = 1; sb < kSubbands; ++sb) {
                energy[s] += granule[t][sb] * granule[t][sb];
            }
        }
    }
    bool attack = carryShort_;
    carryShort_ = false;
    float recent[kSegments * 2];
    std::copy(history_, history_ + kSegments, recent);
    std::copy(energy, energy + kSegments, recent + kSegments);
    for (int s = 0; s < kSegments; ++s) {
        const int at = s + kSegments;
        const float before = std::max({recent[at - 1], recent[at - 2], recent[at - 3]});
        if (energy[s] > kSilenceEnergy && energy[s] > kAttackRatio * before) {
            attack = true;
            // A late attack reaches into the next granule's first window.
            carryShort_ = carryShort_ || s >= 4;
        }
    }
    std::copy(energy, energy + kSegments, history_);
    return attack;
}

int BlockSwitch::decide(bool currentShort, bool nextShort) {
    int type = kBlockNormal;
    if (currentShort || lastType_ == kBlockStart) {
        type = kBlockShort;
    } else if (lastType_ == kBlockShort) {
        type = nextShort ? kBlockShort : kBlockStop;
    } else if (nextShort) {
        type = kBlockStart;
    }
    lastType_ = type;
    return type;
}

}  // namespace mp3::enc
