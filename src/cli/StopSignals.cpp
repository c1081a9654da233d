#include "cli/StopSignals.h"

namespace cli {

namespace {

// Set by the handler, which may touch nothing else.
volatile std::sig_atomic_t received = 0;

void onStopSignal(int signal) {
    received = signal;
}

}  // namespace

StopSignals::StopSignals() {
    received = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &action, &old_[i]);
    }
}

StopSignals::~StopSignals() {
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &old_[i], nullptr);
    }
}

bool StopSignals::requested() const {
    return received != 0;
}

int StopSignals::exitCode() const {
    return 128 + received;
}

}  // namespace cli
