#pragma once

#include "mp3/enc/Mdct.h"

namespace mp3::enc {

// Block-switching control of one channel: finds attacks in the subband
// samples of each new granule and turns the wishes into a legal sequence of
// block types (a start block before and a stop block after short blocks).
class BlockSwitch {
  public:
    // mode 0 automatic, 1 only long, 2 only short.
    explicit BlockSwitch(int mode) : mode_(mode) {}

    // Looks at the newest granule; true when it wants short blocks.
    bool wantsShort(const SubbandGranule& granule);
    // The block type of the granule before `next`, given whether it and
    // the one after it want short blocks.
    int decide(bool currentShort, bool nextShort);
    int lastType() const { return lastType_; }

  private:
    int mode_;
    float history_[6] = {};  // energies of the last granule's segments
    bool carryShort_ = false;
    int lastType_ = 0;
};

}  // namespace mp3::enc
