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
// goes back at once. Waking for each short block costs twice the switches,
// and what is left still covers the writer's refill.
uint64_t PacedWaveOutDevice::wakePoint() const {
    return queue_.size() > 1 ? queue_.back().start : queue_.front().end;
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
    pendingCallbacks_ +=
        queue_.finishUpTo(played, [&](const WaveBlockQueue::Entry& e) { emit(e, e.end); });
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
