#pragma once

#include <cstdint>
#include <deque>

#include "platform/WaveOut.h"

namespace platform {

// The blocks a device holds, in the order they were written, each with its
// byte range in the stream since the last reset. Not locked: the device
// guards it.
class WaveBlockQueue {
  public:
    struct Entry {
        WaveHeader* block;
        uint64_t start;
        uint64_t end;
    };

    static MmResult prepare(WaveHeader& block);
    static MmResult unprepare(WaveHeader& block);
    // Whether `block` may be written to a device playing frames of
    // `blockAlign` bytes.
    static MmResult checkWritable(const WaveHeader& block, uint32_t blockAlign);

    void push(WaveHeader& block);
    bool empty() const { return entries_.empty(); }
    const Entry& front() const { return entries_.front(); }
    const Entry& back() const { return entries_.back(); }
    size_t size() const { return entries_.size(); }
    uint64_t end() const { return end_; }
    // The entry holding stream byte `offset`, or null.
    const Entry* entryAt(uint64_t offset) const;

    // Hands back, in order, the blocks whose bytes all lie before `played`,
    // calling emit(entry) for each before its done flag is set (the owner
    // may reuse the bytes from then on). Returns how many.
    template <typename Emit>
    size_t finishUpTo(uint64_t played, Emit&& emit) {
        size_t n = 0;
        for (; !entries_.empty() && entries_.front().end <= played; ++n) {
            emit(entries_.front());
            markDone(*entries_.front().block);
            entries_.pop_front();
        }
        return n;
    }

    // Hands back every block (a reset) and starts the stream again at 0.
    template <typename Emit>
    size_t finishAll(Emit&& emit) {
        const size_t n = entries_.size();
        finishUpTo(UINT64_MAX, emit);
        end_ = 0;
        return n;
    }

  private:
    static void markDone(WaveHeader& block);

    std::deque<Entry> entries_;
    uint64_t end_ = 0;
};

}  // namespace platform
