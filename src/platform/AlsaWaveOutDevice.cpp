#include "platform/AlsaWaveOutDevice.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/PcmVolume.h"

namespace platform {

namespace {
constexpr size_t kChunkBytes = 32 * 1024;
}

AlsaWaveOutDevice::AlsaWaveOutDevice(AlsaPcmHandle pcm, UniqueFd wakeFd, const WaveFormat& format,
                                     WaveOutDriver::DoneCallback onDone,
                                     std::shared_ptr<std::atomic<uint32_t>> volume)
    : pcm_(std::move(pcm)),
      format_(format),
      onDone_(std::move(onDone)),
      volume_(std::move(volume)),
      wakeFd_(std::move(wakeFd)),
      thread_([this] { run(); }) {}

AlsaWaveOutDevice::~AlsaWaveOutDevice() {
    {
        std::lock_guard lock(mutex_);
        dropPcm();
        pendingCallbacks_ += queue_.finishAll([](const auto&) {});
        quit_ = true;
    }
    wake();
    thread_.join();
}

void AlsaWaveOutDevice::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_.get(), &one, sizeof one);
}

void AlsaWaveOutDevice::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (running_) {
            feed();
        }
        pendingCallbacks_ += queue_.finishUpTo(playedBytes(), [](const auto&) {});
        if (pendingCallbacks_ > 0) {
            deliverCallbacks(lock);
            continue;
        }
        if (quit_) {
            return;
        }
        waitForWork(lock);
    }
}

void AlsaWaveOutDevice::deliverCallbacks(std::unique_lock<std::mutex>& lock) {
    size_t n = std::exchange(pendingCallbacks_, 0);
    lock.unlock();
    for (; n > 0; --n) {
        try {
            if (onDone_) {
                onDone_();
            }
        } catch (...) {
            // The callback only posts; a failure to post must not end the device.
        }
    }
    lock.lock();
}

void AlsaWaveOutDevice::feed() {
    while (sent_ < queue_.end() && sendChunk()) {
    }
}

// Sends the next piece of the stream; false when ALSA has no room now.
bool AlsaWaveOutDevice::sendChunk() {
    const WaveBlockQueue::Entry* entry = queue_.entryAt(sent_);
    if (entry == nullptr || broken_) {
        sent_ = queue_.end();  // nothing can be heard: let the blocks go
        return false;
    }
    const uint32_t align = format_.blockAlign();
    size_t bytes = std::min<uint64_t>(entry->end - sent_, kChunkBytes);
    bytes -= bytes % align;
    const uint8_t* from = entry->block->data + (sent_ - entry->start);
    scratch_.assign(from, from + bytes);
    applyVolume(format_, scratch_, volume_->load(std::memory_order_relaxed));
    const snd_pcm_sframes_t n = snd_pcm_writei(pcm_.get(), scratch_.data(), bytes / align);
    if (n == -EAGAIN) {
        return false;
    }
    if (n < 0) {
        // An underrun: what was sent has played. Anything else is fatal.
        if (snd_pcm_recover(pcm_.get(), static_cast<int>(n), 1) < 0) {
            std::fprintf(stderr, "melodux: ALSA の再生が止まりました: %s\n",
                         snd_strerror(static_cast<int>(n)));
            broken_ = true;
        }
        return true;
    }
    sent_ += static_cast<uint64_t>(n) * align;
    return true;
}

uint64_t AlsaWaveOutDevice::playedBytes() {
    snd_pcm_sframes_t delay = 0;
    if (broken_ || snd_pcm_delay(pcm_.get(), &delay) < 0) {
        // Not running, or run dry: nothing sent is still waiting.
        if (!broken_ && snd_pcm_state(pcm_.get()) == SND_PCM_STATE_XRUN) {
            snd_pcm_prepare(pcm_.get());
        }
        delay = 0;
    }
    const uint64_t pending =
        static_cast<uint64_t>(std::max<snd_pcm_sframes_t>(delay, 0)) * format_.blockAlign();
    return sent_ - std::min(pending, sent_);
}

void AlsaWaveOutDevice::dropPcm() {
    if (!broken_) {
        snd_pcm_drop(pcm_.get());
        snd_pcm_prepare(pcm_.get());
    }
}

// The poll set and time-out for the next wait: room in the PCM while there
// is more to send, else the moment the oldest block will have been heard.
int AlsaWaveOutDevice::planWait() {
    pollFds_.assign(1, pollfd{wakeFd_.get(), POLLIN, 0});
    if (!running_ || queue_.empty() || broken_) {
        return -1;
    }
    if (sent_ < queue_.end()) {
        const int count = snd_pcm_poll_descriptors_count(pcm_.get());
        pollFds_.resize(1 + static_cast<size_t>(std::max(count, 0)));
        snd_pcm_poll_descriptors(pcm_.get(), pollFds_.data() + 1, static_cast<unsigned>(count));
        return -1;
    }
    const uint64_t unheard = queue_.front().end - std::min(queue_.front().end, playedBytes());
    const uint64_t ms = unheard * 1000 / format_.avgBytesPerSec() + 1;
    return static_cast<int>(std::min<uint64_t>(ms, 1000));
}

void AlsaWaveOutDevice::waitForWork(std::unique_lock<std::mutex>& lock) {
    const int timeout = planWait();
    lock.unlock();
    ::poll(pollFds_.data(), pollFds_.size(), timeout);
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(wakeFd_.get(), &count, sizeof count);
    lock.lock();
}

MmResult AlsaWaveOutDevice::prepareHeader(WaveHeader& block) {
    return WaveBlockQueue::prepare(block);
}

MmResult AlsaWaveOutDevice::unprepareHeader(WaveHeader& block) {
    return WaveBlockQueue::unprepare(block);
}

MmResult AlsaWaveOutDevice::write(WaveHeader& block) {
    {
        std::lock_guard lock(mutex_);
        if (const MmResult r = WaveBlockQueue::checkWritable(block, format_.blockAlign())) {
            return r;
        }
        queue_.push(block);
    }
    wake();
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::pause() {
    {
        std::lock_guard lock(mutex_);
        if (running_) {
            sent_ = playedBytes();  // what ALSA still held is sent again on restart
            dropPcm();
            running_ = false;
        }
    }
    wake();
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::restart() {
    {
        std::lock_guard lock(mutex_);
        running_ = true;
    }
    wake();
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::reset() {
    {
        std::lock_guard lock(mutex_);
        dropPcm();
        pendingCallbacks_ += queue_.finishAll([](const auto&) {});
        sent_ = 0;
    }
    wake();
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::getPosition(uint32_t& bytes) {
    std::lock_guard lock(mutex_);
    bytes = static_cast<uint32_t>(playedBytes());
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::setVolume(uint32_t leftRight) {
    volume_->store(leftRight, std::memory_order_relaxed);
    return kMmNoError;
}

MmResult AlsaWaveOutDevice::getVolume(uint32_t& leftRight) {
    leftRight = volume_->load(std::memory_order_relaxed);
    return kMmNoError;
}

}  // namespace platform
