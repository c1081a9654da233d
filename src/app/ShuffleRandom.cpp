#include "app/ShuffleRandom.h"

namespace app {

void StdShuffleRandom::Reseed() {
    if (clock_) {
        engine_.seed(clock_->TickMs());
    }
}

}  // namespace app
