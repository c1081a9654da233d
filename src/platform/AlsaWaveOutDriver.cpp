#include <sys/eventfd.h>

#include <cstdlib>

#include "platform/AlsaPcm.h"
#include "platform/AlsaWaveOutDevice.h"
#include "platform/PcmVolume.h"
#include "platform/WaveOutDrivers.h"

namespace platform {

namespace {

class AlsaWaveOutDriver final : public WaveOutDriver {
  public:
    explicit AlsaWaveOutDriver(std::string pcmName) : pcmName_(std::move(pcmName)) {
        silenceAlsaDiagnostics();
    }

    MmResult getDevCaps(int deviceId, WaveOutCaps& caps) override {
        std::string name = pcmNameFor(deviceId);
        if (pcmName_.empty() && deviceId >= 0) {
            char* cardName = nullptr;
            if (snd_card_get_name(deviceId, &cardName) < 0) {
                return kMmBadDeviceId;
            }
            name = cardName;
            std::free(cardName);
        }
        caps = WaveOutCaps{std::move(name), true, true};
        return kMmNoError;
    }

    MmResult getVolume(int, uint32_t& leftRight) override {
        leftRight = volume_->load(std::memory_order_relaxed);
        return kMmNoError;
    }

    MmResult open(int deviceId, const WaveFormat& format, DoneCallback onDone,
                  std::unique_ptr<WaveOutDevice>& device) override {
        if (!isPlayableFormat(format)) {
            return kWaveBadFormat;
        }
        if (pcmName_.empty() && deviceId < -1) {
            return kMmBadDeviceId;
        }
        AlsaPcmHandle pcm;
        const bool isDefault = pcmName_.empty() && deviceId < 0;
        if (const MmResult r = openAlsaPcm(pcmNameFor(deviceId), isDefault, format, pcm)) {
            return r;
        }
        UniqueFd wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (!wakeFd.valid()) {
            return kMmNoMemory;
        }
        device = std::make_unique<AlsaWaveOutDevice>(std::move(pcm), std::move(wakeFd), format,
                                                     std::move(onDone), volume_);
        return kMmNoError;
    }

  private:
    std::string pcmNameFor(int deviceId) const {
        if (!pcmName_.empty()) {
            return pcmName_;
        }
        // plughw converts formats the card lacks; the card is used alone.
        return deviceId < 0 ? "default" : "plughw:" + std::to_string(deviceId);
    }

    const std::string pcmName_;
    // Shared with the devices: software volume that outlives each device.
    const std::shared_ptr<std::atomic<uint32_t>> volume_ =
        std::make_shared<std::atomic<uint32_t>>(kFullVolume);
};

}  // namespace

std::shared_ptr<WaveOutDriver> makeAlsaWaveOutDriver(std::string pcmName) {
    return std::make_shared<AlsaWaveOutDriver>(std::move(pcmName));
}

}  // namespace platform
