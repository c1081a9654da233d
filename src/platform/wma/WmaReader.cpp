#include "platform/wma/WmaReader.h"

#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaModule.h"

namespace platform::wma {

WmaReader::WmaReader(const std::filesystem::path& path, DataCallback onData,
                     StatusCallback onStatus)
    : WmaReader(wmaCodec().openDecoder(path), std::move(onData), std::move(onStatus)) {}

WmaReader::WmaReader(std::unique_ptr<WmaDecoder> decoder, DataCallback onData,
                     StatusCallback onStatus)
    : decoder_(std::move(decoder)), onData_(std::move(onData)), onStatus_(std::move(onStatus)) {}

WmaReader::~WmaReader() {
    stop();
}

const StreamInfo& WmaReader::info() const {
    return decoder_->info();
}

const Attributes& WmaReader::attributes() const {
    return decoder_->attributes();
}

void WmaReader::start() {
    const std::lock_guard lock(control_);
    if (!started_) {
        started_ = true;
        launch();
    }
}

void WmaReader::stop() {
    if (std::this_thread::get_id() == delivering_.load()) {
        // A callback asked: seek() may hold the lock while it waits for
        // this thread, which ends after the callback returns.
        started_ = false;
        stopping_ = true;
        return;
    }
    // Under the lock, so a seek or start in progress cannot clear the
    // request and leave the new delivery running to the end.
    const std::lock_guard lock(control_);
    started_ = false;
    stopping_ = true;
    join();
}

void WmaReader::seek(uint32_t ms) {
    const std::lock_guard lock(control_);
    stopping_ = true;
    join();
    decoder_->seek(uint64_t{ms} * decoder_->info().sampleRate / 1000);
    if (started_) {
        launch();
    }
}

bool WmaReader::running() const {
    return started_;
}

void WmaReader::launch() {
    join();
    stopping_ = false;
    thread_ = std::thread(&WmaReader::run, this);
}

void WmaReader::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WmaReader::run() {
    delivering_ = std::this_thread::get_id();
    deliver();
    delivering_ = std::thread::id();
}

// Exceptions end here: nothing crosses the thread's edge.
void WmaReader::deliver() {
    try {
        while (!stopping_) {
            const auto block = decoder_->next();
            if (block.empty()) {
                onStatus_(Status::EndOfData, {});
                return;
            }
            if (!onData_(block)) {
                return;
            }
        }
    } catch (const std::exception& e) {
        onStatus_(Status::Error, e.what());
    }
}

}  // namespace platform::wma
