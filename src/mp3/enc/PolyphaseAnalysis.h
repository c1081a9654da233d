#pragma once

#include "mp3/L3Types.h"

namespace mp3::enc {

// The polyphase analysis filterbank of one channel: 32 input samples give
// one sample of each of the 32 subbands.
class PolyphaseAnalysis {
  public:
    PolyphaseAnalysis();
    void reset();
    // Reads 32 samples at `in` (every `stride`-th float) and writes 32
    // subband samples to `out`.
    void analyse(const float* in, int stride, float* out);

  private:
    // The last 512 samples twice over, so that a window never wraps.
    float history_[2 * 512];
    int position_ = 0;
};

}  // namespace mp3::enc
