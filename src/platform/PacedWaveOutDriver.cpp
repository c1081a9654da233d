#include <atomic>

#include "platform/PacedWaveOutDevice.h"
#include "platform/PcmVolume.h"
#include "platform/WaveFileWriter.h"
#include "platform/WaveOutDrivers.h"

namespace platform {

namespace {

// The null and file back ends: one virtual device that plays on a clock.
class PacedWaveOutDriver final : public WaveOutDriver {
  public:
    PacedWaveOutDriver(std::string name, std::shared_ptr<WaveClock> clock, bool paced,
                       std::shared_ptr<WaveFileWriter> file)
        : name_(std::move(name)),
          clock_(clock ? std::move(clock) : std::make_shared<SteadyWaveClock>()),
          paced_(paced),
          file_(std::move(file)) {}

    MmResult getDevCaps(int, WaveOutCaps& caps) override {
        caps = WaveOutCaps{name_, true, true};
        return kMmNoError;
    }

    MmResult getVolume(int, uint32_t& leftRight) override {
        leftRight = volume_->load(std::memory_order_relaxed);
        return kMmNoError;
    }

    MmResult open(int, const WaveFormat& format, DoneCallback onDone,
                  std::unique_ptr<WaveOutDevice>& device) override {
        if (!isPlayableFormat(format)) {
            return kWaveBadFormat;
        }
        std::unique_ptr<PcmSink> sink;
        if (file_) {
            if (const MmResult r = file_->begin(format)) {
                return r;
            }
            sink = WaveFileWriter::sessionSink(file_);
        }
        device = std::make_unique<PacedWaveOutDevice>(PacedWaveOutDevice::Setup{
            format, std::move(onDone), clock_, paced_, volume_, std::move(sink)});
        return kMmNoError;
    }

  private:
    const std::string name_;
    const std::shared_ptr<WaveClock> clock_;
    const bool paced_;
    const std::shared_ptr<WaveFileWriter> file_;
    // Shared with the devices: the level outlives each device, as a sound
    // card's mixer level does.
    const std::shared_ptr<std::atomic<uint32_t>> volume_ =
        std::make_shared<std::atomic<uint32_t>>(kFullVolume);
};

}  // namespace

std::shared_ptr<WaveOutDriver> makeNullWaveOutDriver(std::shared_ptr<WaveClock> clock) {
    return std::make_shared<PacedWaveOutDriver>("null", std::move(clock), true, nullptr);
}

std::shared_ptr<WaveOutDriver> makeFileWaveOutDriver(std::filesystem::path path, WavePacing pacing,
                                                     std::shared_ptr<WaveClock> clock) {
    auto name = "file:" + path.string();
    return std::make_shared<PacedWaveOutDriver>(std::move(name), std::move(clock),
                                                pacing == WavePacing::RealTime,
                                                std::make_shared<WaveFileWriter>(std::move(path)));
}

}  // namespace platform
