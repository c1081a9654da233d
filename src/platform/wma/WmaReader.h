#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "platform/wma/Attributes.h"
#include "platform/wma/StreamInfo.h"

namespace platform::wma {

class WmaDecoder;

// Plays a WMA file out as 16-bit PCM (StreamInfo::outputFormat) from its
// own thread through a callback, with start, stop and seek.
class WmaReader {
  public:
    // Takes a block of PCM (whole sample frames). Returning false ends the
    // delivery quietly after this block (a closed pipe); stop() and start()
    // go on after it.
    using DataCallback = std::function<bool(std::span<const uint8_t>)>;
    enum class Status {
        EndOfData,  // everything up to the end has been delivered
        Error,      // reading failed; the detail says why
    };
    // Called on the reader's thread once the delivery has ended by itself.
    using StatusCallback = std::function<void(Status, const std::string& detail)>;

    // Opens the file with the module's decoder and reads its facts; nothing
    // is delivered before start(). Throws Error as WmaCodec::openDecoder
    // does, and MissingCodec naming the module when that cannot be loaded.
    WmaReader(const std::filesystem::path& path, DataCallback onData, StatusCallback onStatus);
    // Plays out a decoder opened elsewhere (a file of another format).
    WmaReader(std::unique_ptr<WmaDecoder> decoder, DataCallback onData, StatusCallback onStatus);
    ~WmaReader();
    WmaReader(const WmaReader&) = delete;
    WmaReader& operator=(const WmaReader&) = delete;

    const StreamInfo& info() const;
    const Attributes& attributes() const;

    // Starts delivering from the current position: the start, where the
    // delivery stopped, or where seek() put it. No effect while running.
    void start();
    // Ends the delivery and waits for the thread, so a callback that blocks
    // must be released first (the pipe closed). From inside a callback it
    // only asks the thread to end. Not running afterwards.
    void stop();
    // Moves to `ms`. While running, the delivery is stopped (as stop()) and
    // started again from there, even after it had reached the end; nothing
    // from before the seek follows it. Not from inside a callback.
    void seek(uint32_t ms);
    // Between start() and stop(), whether or not the delivery has ended.
    bool running() const;

  private:
    void run();
    void deliver();
    void launch();
    void join();

    std::unique_ptr<WmaDecoder> decoder_;
    DataCallback onData_;
    StatusCallback onStatus_;
    mutable std::mutex control_;  // start, stop and seek one at a time
    std::thread thread_;
    // The delivery thread while it runs: the thread object itself is still
    // being assigned when the first callback may come.
    std::atomic<std::thread::id> delivering_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> started_{false};
};

}  // namespace platform::wma
