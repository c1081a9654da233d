#include "mdb/ChangeNotifier.h"

#include <algorithm>

namespace mdb {

void ChangeNotifier::addListener(ChangeListener* listener) {
    std::lock_guard guard(lock_);
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) {
        listeners_.push_back(listener);
    }
}

void ChangeNotifier::removeListener(ChangeListener* listener) {
    std::lock_guard guard(lock_);
    std::erase(listeners_, listener);
}

void ChangeNotifier::flush() {
    std::lock_guard guard(lock_);
    if (pending_ == ChangeKind::None) {
        return;
    }
    const ChangeKind kind = pending_;
    pending_ = ChangeKind::None;
    deliver(kind);
}

ChangeKind ChangeNotifier::pendingKind() const {
    std::lock_guard guard(lock_);
    return pending_;
}

void ChangeNotifier::deliverItemChanged() {
    std::lock_guard guard(lock_);
    deliver(ChangeKind::ItemChanged);
}

void ChangeNotifier::setPending(ChangeKind kind) {
    const bool wasIdle = pending_ == ChangeKind::None;
    pending_ = kind;
    if (wasIdle && kind != ChangeKind::None) {
        onPending();
    }
}

void ChangeNotifier::deliver(ChangeKind kind) {
    // Listeners may register or unregister while being told; a snapshot
    // keeps the walk valid and a removed listener is not called afterwards.
    const std::vector<ChangeListener*> snapshot = listeners_;
    const ChangeEvent event{this, kind};
    for (ChangeListener* listener : snapshot) {
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) {
            listener->onChange(event);
        }
    }
}

}  // namespace mdb
