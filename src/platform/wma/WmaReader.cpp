#include "platform/wma/WmaReader.h"

#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"

namespace platform::wma {

WmaReader::WmaReader(const std::filesystem::path& path, DataCallback onData,
                     StatusCallback onStatus)
    : decoder_(std::make_unique<WmaDecoder>(path)),
      onData_(std::move(onData)),
      onStatus_(std::move(onStatus)) {}

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
    started_ = false;
    stopping_ = true;
    if (std::this_thread::get_id() == thread_.get_id()) {
        return;  // a callback asked; the thread ends after it returns
    }
    const std::lock_guard lock(control_);
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

// Exceptions end here: nothing crosses the thread's edge.
void WmaReader::run() {
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
