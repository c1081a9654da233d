#include "ui/equalizer/SpectrumWorker.h"

#include "ui/equalizer/EqualizerPlayer.h"

namespace ui {

SpectrumWorker::SpectrumWorker(EqualizerPlayer& player, size_t bands, Publish publish,
                               std::chrono::milliseconds period)
    : player_(player),
      publish_(std::move(publish)),
      period_(period),
      analyzer_(bands),
      meter_(bands),
      buffer_(kBufferBytes),
      thread_([this] { Run(); }) {}

SpectrumWorker::~SpectrumWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void SpectrumWorker::SetActive(bool active) {
    {
        std::lock_guard lock(mutex_);
        active_ = active;
    }
    wake_.notify_all();
}

void SpectrumWorker::Run() {
    std::unique_lock lock(mutex_);
    bool drawn = false;
    while (Pause(lock)) {
        if (!active_) {
            continue;
        }
        if (Analyse()) {
            Draw();
            drawn = true;
        } else if (drawn) {
            drawn = FallBack(lock);
        }
    }
}

// Waits one period, or while inactive until active again; false once
// asked to quit.
bool SpectrumWorker::Pause(std::unique_lock<std::mutex>& lock) {
    if (active_) {
        wake_.wait_for(lock, period_, [this] { return quit_; });
    } else {
        wake_.wait(lock, [this] { return quit_ || active_; });
    }
    return !quit_;
}

// Takes the samples being heard into the analyser and the meter; false
// when none came or their layout is not one the analyser reads.
bool SpectrumWorker::Analyse() {
    platform::WaveFormat format;
    if (!player_.OutputFormat(format)) {
        return false;
    }
    if (format.samplesPerSec() != format_.samplesPerSec() ||
        format.channels() != format_.channels() ||
        format.bitsPerSample() != format_.bitsPerSample()) {
        format_ = format;
        analyzer_.SetLayout(format.bitsPerSample(), format.channels());
    }
    const bool readable = format.tag() == platform::kWaveFormatPcm &&
                          (format.bitsPerSample() == 8 || format.bitsPerSample() == 16) &&
                          format.channels() >= 1 && format.channels() <= 2;
    if (!readable || size_t{format.blockAlign()} * kFrames > buffer_.size() ||
        !player_.CopyPlaying(buffer_.data(), kFrames)) {
        return false;
    }
    analyzer_.Analyze(buffer_);
    const auto& values = analyzer_.BandValues();
    for (size_t b = 0; b < values.size(); ++b) {
        meter_.SetValue(b, values[b]);
    }
    return true;
}

void SpectrumWorker::Draw() {
    std::vector<size_t> changed = meter_.Draw(false);
    if (changed.empty()) {
        return;
    }
    publish_(meter_.Shown(), std::move(changed));
}

// After playing stops: at most four steps a band, one a period, until the
// bars are down or samples come again (then true).
bool SpectrumWorker::FallBack(std::unique_lock<std::mutex>& lock) {
    for (size_t step = 0; step < 4 * meter_.Bands() && meter_.Moving(); ++step) {
        if (!Pause(lock) || !active_) {
            return false;
        }
        const bool heard = Analyse();
        Draw();
        if (heard) {
            return true;
        }
    }
    return false;
}

}  // namespace ui
