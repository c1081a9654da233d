#include "FakeWaveOut.h"

#include <chrono>

using platform::MmResult;
using platform::WaveHeader;

void FakeWaveOutState::playBlocks(int count) {
    std::unique_lock lock(mutex);
    for (int i = 0; i < count && !queued.empty(); ++i) {
        WaveHeader* block = queued.front();
        queued.pop_front();
        played += block->bufferLength;
        block->flags = (block->flags & ~WaveHeader::kInQueue) | WaveHeader::kDone;
        onDone();
    }
}

bool FakeWaveOutState::waitForWrites(int count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return writes >= count; });
}

FakeWaveOutDevice::FakeWaveOutDevice(std::shared_ptr<FakeWaveOutState> state)
    : state_(std::move(state)) {}

FakeWaveOutDevice::~FakeWaveOutDevice() {
    std::lock_guard lock(state_->mutex);
    state_->open = false;
}

MmResult FakeWaveOutDevice::prepareHeader(WaveHeader& block) {
    block.flags |= WaveHeader::kPrepared;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::unprepareHeader(WaveHeader& block) {
    block.flags &= ~WaveHeader::kPrepared;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::write(WaveHeader& block) {
    std::lock_guard lock(state_->mutex);
    block.flags = (block.flags & ~WaveHeader::kDone) | WaveHeader::kInQueue;
    state_->queued.push_back(&block);
    ++state_->writes;
    state_->changed.notify_all();
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::pause() {
    std::lock_guard lock(state_->mutex);
    state_->paused = true;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::restart() {
    std::lock_guard lock(state_->mutex);
    state_->paused = false;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::reset() {
    std::lock_guard lock(state_->mutex);
    for (WaveHeader* block : state_->queued) {
        block->flags = (block->flags & ~WaveHeader::kInQueue) | WaveHeader::kDone;
        state_->onDone();
    }
    state_->queued.clear();
    state_->played = 0;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::getPosition(uint32_t& bytes) {
    std::lock_guard lock(state_->mutex);
    bytes = state_->played;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::setVolume(uint32_t leftRight) {
    std::lock_guard lock(state_->mutex);
    state_->volume = leftRight;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDevice::getVolume(uint32_t& leftRight) {
    std::lock_guard lock(state_->mutex);
    leftRight = state_->volume;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDriver::getDevCaps(int, platform::WaveOutCaps& caps) {
    std::lock_guard lock(state->mutex);
    caps.name = "fake";
    caps.volume = caps.lrVolume = state->volumeControl;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDriver::getVolume(int, uint32_t& leftRight) {
    std::lock_guard lock(state->mutex);
    leftRight = state->volume;
    return platform::kMmNoError;
}

MmResult FakeWaveOutDriver::open(int, const platform::WaveFormat&, DoneCallback onDone,
                                 std::unique_ptr<platform::WaveOutDevice>& device) {
    std::lock_guard lock(state->mutex);
    ++state->openCalls;
    if (!state->openResults.empty()) {
        const MmResult result = state->openResults.front();
        state->openResults.pop_front();
        if (result != platform::kMmNoError) {
            return result;
        }
    }
    state->onDone = std::move(onDone);
    state->open = true;
    state->played = 0;
    device = std::make_unique<FakeWaveOutDevice>(state);
    return platform::kMmNoError;
}
