#include "platform/PacedWaveOutDevice.h"

#include <algorithm>
#include <utility>

#include "platform/PcmVolume.h"

namespace platform {

PacedWaveOutDevice::PacedWaveOutDevice(Setup setup)
    : setup_(std::move(setup)),
      timeline_(setup_.format.samplesPerSec(), setup_.format.blockAlign(), setup_.paced),
      thread_([this] { run(); }) {}

PacedWaveOutDevice::~PacedWaveOutDevice() {
    {
        std::lock_guard lock(mutex_);
        returnAll();
        quit_ = true;
        setup_.clock->wake(changed_);
    }
    thread_.join();
    setup_.sink.reset();  // closes the output only after the last bytes went in
}

void PacedWaveOutDevice::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        finishDue();
        if (pendingCallbacks_ > 0) {
            deliverCallbacks(lock);
            continue;
        }
        if (quit_) {
            return;
        }
        const bool playing = timeline_.running() && !queue_.empty();
        setup_.clock->waitUntil(
            lock, changed_, playing ? timeline_.timeWhenPlayed(wakePoint()) : WaveClock::kNever);
    }
}

// As a sound card does by its periods, the blocks are handed back in
// batches: when only the last one is left to play, every one before it
// goes back at once. The writer replaces a batch only after the device has
// planned its next wake; planned by the blocks queued then, that wake would
// come one block after the last batch and return a single block, and so
// would every later one. So the batch point is planned as it will be once
// the blocks handed back are replaced by as many of the last one's length.
// A writer that sends nothing more gets its last block back that much later.
uint64_t PacedWaveOutDevice::wakePoint() const {
    const WaveBlockQueue::Entry& last = queue_.back();
    if (queue_.size() == 1 && awaited_ == 0) {
        return last.end;
    }
    return std::max(queue_.front().end, last.start + awaited_);
}

void PacedWaveOutDevice::deliverCallbacks(std::unique_lock<std::mutex>& lock) {
    size_t n = std::exchange(pendingCallbacks_, 0);
    lock.unlock();
    for (; n > 0; --n) {
        try {
            if (setup_.onDone) {
                setup_.onDone();
            }
        } catch (...) {
            // The callback only posts; a failure to post must not end the device.
        }
    }
    lock.lock();
}

void PacedWaveOutDevice::finishDue() {
    const uint64_t played = timeline_.played(setup_.clock->now());
    pendingCallbacks_ += queue_.finishUpTo(played, [&](const WaveBlockQueue::Entry& e) {
        emit(e, e.end);
        awaited_ += e.end - e.start;
    });
    if (queue_.empty()) {
        awaited_ = 0;  // nothing is being replaced: the next block wakes the device
    }
}

// Hands every block back; the part of the playing block heard so far still
// reaches the sink, nothing after it does.
void PacedWaveOutDevice::returnAll() {
    const auto now = setup_.clock->now();
    const uint64_t played = timeline_.played(now);
    pendingCallbacks_ += queue_.finishAll([&](const WaveBlockQueue::Entry& e) {
        if (played > e.start) {
            emit(e, std::min(played, e.end));
        }
    });
    timeline_.reset(now);
    awaited_ = 0;
}

void PacedWaveOutDevice::emit(const WaveBlockQueue::Entry& entry, uint64_t upTo) {
    if (!setup_.sink || upTo <= entry.start) {
        return;
    }
    const auto* data = entry.block->data;
    scratch_.assign(data, data + (upTo - entry.start));
    applyVolume(setup_.format, scratch_, setup_.volume->load(std::memory_order_relaxed));
    setup_.sink->played(scratch_);
}

MmResult PacedWaveOutDevice::prepareHeader(WaveHeader& block) {
    return WaveBlockQueue::prepare(block);
}

MmResult PacedWaveOutDevice::unprepareHeader(WaveHeader& block) {
    return WaveBlockQueue::unprepare(block);
}

MmResult PacedWaveOutDevice::write(WaveHeader& block) {
    std::lock_guard lock(mutex_);
    if (const MmResult r = WaveBlockQueue::checkWritable(block, setup_.format.blockAlign())) {
        return r;
    }
    // The device waits for the front block only: a block queued behind it
    // changes nothing it waits for, and waking it for each short piece
    // doubles the cost of playing.
    const bool wasEmpty = queue_.empty();
    queue_.push(block);
    awaited_ -= std::min<uint64_t>(awaited_, block.bufferLength);
    timeline_.append(setup_.clock->now(), block.bufferLength);
    if (wasEmpty) {
        setup_.clock->wake(changed_);
    }
    return kMmNoError;
}

MmResult PacedWaveOutDevice::pause() {
    std::lock_guard lock(mutex_);
    timeline_.pause(setup_.clock->now());
    setup_.clock->wake(changed_);
    return kMmNoError;
}

MmResult PacedWaveOutDevice::restart() {
    std::lock_guard lock(mutex_);
    timeline_.restart(setup_.clock->now());
    setup_.clock->wake(changed_);
    return kMmNoError;
}

MmResult PacedWaveOutDevice::reset() {
    std::lock_guard lock(mutex_);
    returnAll();
    setup_.clock->wake(changed_);
    return kMmNoError;
}

MmResult PacedWaveOutDevice::getPosition(uint32_t& bytes) {
    std::lock_guard lock(mutex_);
    bytes = static_cast<uint32_t>(timeline_.played(setup_.clock->now()));
    return kMmNoError;
}

MmResult PacedWaveOutDevice::setVolume(uint32_t leftRight) {
    setup_.volume->store(leftRight, std::memory_order_relaxed);
    return kMmNoError;
}

MmResult PacedWaveOutDevice::getVolume(uint32_t& leftRight) {
    leftRight = setup_.volume->load(std::memory_order_relaxed);
    return kMmNoError;
}

}  // namespace platform
