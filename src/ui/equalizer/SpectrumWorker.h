#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "dsp/SpectrumAnalyzer.h"
#include "dsp/SpectrumMeter.h"
#include "platform/WaveFormat.h"

namespace ui {

class EqualizerPlayer;

// Every segment of a meter, band by band (kSegments a band).
using SpectrumMeterStates = std::vector<dsp::SpectrumMeter::Segment>;

// The spectrum display's thread: every period it takes the samples being
// heard from the player, analyses them and moves the meter; once playing
// stops the bars fall back step by step. It paints nothing: each drawing
// is handed to `publish` (on this thread) as the state of every segment
// and the segments that changed, for the UI thread to paint.
class SpectrumWorker {
  public:
    static constexpr uint32_t kFrames = 1024;
    static constexpr size_t kBufferBytes = 49152;
    using Publish = std::function<void(SpectrumMeterStates states, std::vector<size_t> changed)>;

    SpectrumWorker(EqualizerPlayer& player, size_t bands, Publish publish,
                   std::chrono::milliseconds period = std::chrono::milliseconds(40));
    ~SpectrumWorker();
    SpectrumWorker(const SpectrumWorker&) = delete;
    SpectrumWorker& operator=(const SpectrumWorker&) = delete;

    // Analysis on or off (off: the bars stay as they are, and the thread
    // sleeps until it is on again). Off at first: the window it draws for
    // turns it on when shown.
    void SetActive(bool active);

  private:
    void Run();
    bool Pause(std::unique_lock<std::mutex>& lock);
    bool Analyse();
    void Draw();
    bool FallBack(std::unique_lock<std::mutex>& lock);

    EqualizerPlayer& player_;
    const Publish publish_;
    const std::chrono::milliseconds period_;
    std::mutex mutex_;  // the flags, the analyser and the meter
    std::condition_variable wake_;
    bool quit_ = false;
    bool active_ = false;
    dsp::SpectrumAnalyzer analyzer_;
    dsp::SpectrumMeter meter_;
    platform::WaveFormat format_;
    std::vector<uint8_t> buffer_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace ui
