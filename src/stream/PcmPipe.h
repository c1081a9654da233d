#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

// A blocking byte ring between a thread that produces PCM and one that
// consumes it. Write waits for space and Read for data; Close wakes both.
// What was written before Close can still be read, so the end of a stream
// is never lost; Reset empties the pipe and opens it again.
class PcmPipe {
  public:
    explicit PcmPipe(size_t capacity);
    PcmPipe(const PcmPipe&) = delete;
    PcmPipe& operator=(const PcmPipe&) = delete;

    // Copies all of bytes in, waiting for space; 0 when the pipe is or
    // becomes closed.
    size_t Write(std::span<const uint8_t> bytes);
    // Fills bytes, waiting for data; less only once the pipe is closed and
    // drained. Returns the number of bytes moved.
    size_t Read(std::span<uint8_t> bytes);
    void Close();
    void Reset();

  private:
    std::vector<uint8_t> ring_;
    size_t fill_ = 0;
    size_t readAt_ = 0;
    size_t writeAt_ = 0;
    bool closed_ = false;
    std::mutex mutex_;
    std::condition_variable space_;
    std::condition_variable data_;
};
