#include "cdinfo/CDDB_REQDATA.h"

namespace cdinfo {

void CDDB_REQDATA::begin() {
    idle_.reset();
    result_.store(0, std::memory_order_release);
    stage_.store(Stage::Idle, std::memory_order_release);
    status_.store(1, std::memory_order_release);
}

void CDDB_REQDATA::finish(uint32_t result) {
    // The caller may reuse the request as soon as the status drops, so the
    // post works from copies.
    platform::MessageTarget* const target = owner;
    const int doneKind = kind;
    result_.store(result, std::memory_order_release);
    stage_.store(Stage::Done, std::memory_order_release);
    status_.store(0, std::memory_order_release);
    idle_.set();
    if (target != nullptr) {
        target->post(kDoneMessage, static_cast<uintptr_t>(doneKind), static_cast<intptr_t>(result));
    }
}

}  // namespace cdinfo
