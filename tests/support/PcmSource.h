#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Event.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSComponent.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"

namespace testsupport {

// Plays 16-bit PCM into a chain. When gated, every read after the first
// sets `reached` and waits for `gate`, so a test can look at a writer in
// the middle of its work; the read after `failAfter` reads throws
// kReadError.
class PcmSource : public CNxSSComponent {
  public:
    static constexpr uint32_t kReadError = 0x83EB0105;

    PcmSource(CNxSSObject* parent, platform::WaveFormat format, std::vector<int16_t> samples,
              int failAfter = -1)
        : CNxSSComponent(parent),
          format_(format),
          samples_(std::move(samples)),
          failAfter_(failAfter) {}

    bool gated = false;
    platform::Event reached{platform::Event::Reset::Manual};
    platform::Event gate{platform::Event::Reset::Manual};

    bool GetFormat(platform::WaveFormat& format) override {
        format = format_;
        return true;
    }
    int32_t GetLength() override { return static_cast<int32_t>(frames() * 1000 / rate()); }
    int32_t SetPosition(int32_t ms) override {
        at_ = std::min(frames(), size_t(ms) * rate() / 1000);
        return 0;
    }
    void Read(CNxSSPacket& packet) override {
        if (gated && reads_ > 0) {
            reached.set();
            gate.wait();
        }
        if (failAfter_ >= 0 && reads_ >= failAfter_) {
            throw CNxSSException(kReadError);
        }
        ++reads_;
        const size_t channels = format_.channels();
        const size_t n = std::min<size_t>(packet.Capacity(), frames() - at_);
        std::memcpy(packet.Data(), samples_.data() + at_ * channels, n * channels * 2);
        packet.SetFrames(static_cast<uint32_t>(n));
        at_ += n;
    }

  private:
    size_t frames() const { return samples_.size() / format_.channels(); }
    size_t rate() const { return format_.samplesPerSec(); }

    const platform::WaveFormat format_;
    const std::vector<int16_t> samples_;
    const int failAfter_;
    size_t at_ = 0;
    int reads_ = 0;
};

}  // namespace testsupport
