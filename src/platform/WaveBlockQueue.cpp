#include "platform/WaveBlockQueue.h"

namespace platform {

namespace {
bool inQueue(const WaveHeader& block) {
    return (block.flags.load(std::memory_order_acquire) & WaveHeader::kInQueue) != 0;
}
}  // namespace

MmResult WaveBlockQueue::prepare(WaveHeader& block) {
    if (inQueue(block)) {
        return kWaveStillPlaying;
    }
    block.flags.fetch_or(WaveHeader::kPrepared, std::memory_order_acq_rel);
    return kMmNoError;
}

MmResult WaveBlockQueue::unprepare(WaveHeader& block) {
    if (inQueue(block)) {
        return kWaveStillPlaying;
    }
    block.flags.fetch_and(~WaveHeader::kPrepared, std::memory_order_acq_rel);
    return kMmNoError;
}

MmResult WaveBlockQueue::checkWritable(const WaveHeader& block, uint32_t blockAlign) {
    if (!block.prepared()) {
        return kWaveUnprepared;
    }
    if (inQueue(block)) {
        return kWaveStillPlaying;
    }
    if ((block.data == nullptr && block.bufferLength > 0) || block.bufferLength % blockAlign != 0) {
        return kMmInvalidParam;
    }
    return kMmNoError;
}

void WaveBlockQueue::push(WaveHeader& block) {
    const uint32_t flags = block.flags.load(std::memory_order_acquire);
    block.flags.store((flags & ~WaveHeader::kDone) | WaveHeader::kInQueue,
                      std::memory_order_release);
    entries_.push_back(Entry{&block, end_, end_ + block.bufferLength});
    end_ += block.bufferLength;
}

const WaveBlockQueue::Entry* WaveBlockQueue::entryAt(uint64_t offset) const {
    for (const Entry& e : entries_) {
        if (offset >= e.start && offset < e.end) {
            return &e;
        }
    }
    return nullptr;
}

void WaveBlockQueue::markDone(WaveHeader& block) {
    const uint32_t flags = block.flags.load(std::memory_order_acquire);
    block.flags.store((flags & ~WaveHeader::kInQueue) | WaveHeader::kDone,
                      std::memory_order_release);
}

}  // namespace platform
