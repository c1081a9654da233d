#pragma once

#include <cstdint>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "platform/Event.h"
#include "platform/WaveFormat.h"
#include "stream/CNxSSComponent.h"
#include "support/Files.h"

// Sources and frame walkers for the MP3 writer's tests.
namespace writertest {

struct Pcm {
    platform::WaveFormat format;
    std::vector<int16_t> samples;
};
// A 16-bit sine of `amplitude` (full scale 1) on every channel, followed by
// `noiseSeconds` of loud noise; a VBR encoder spends far more on the noise.
Pcm Audio(uint32_t rate, uint16_t channels, double seconds, double amplitude = 0.5,
          double noiseSeconds = 0);
double Rms(const std::vector<int16_t>& samples);

// Delivers a buffer. With a gate, every read after the first waits for the
// gate (after setting `reached`); the read after `failAfter` reads throws
// 0x83EB0105.
class PcmSource : public CNxSSComponent {
  public:
    static constexpr uint32_t kReadError = 0x83EB0105;

    explicit PcmSource(Pcm pcm, int failAfter = -1);
    bool gated = false;
    platform::Event reached{platform::Event::Reset::Manual};
    platform::Event gate{platform::Event::Reset::Manual};

    bool GetFormat(platform::WaveFormat& format) override;
    void Read(CNxSSPacket& packet) override;

  private:
    const Pcm pcm_;
    const int failAfter_;
    size_t at_ = 0;
    int reads_ = 0;
};

struct Frame {
    mp3::Mp3FrameHeader header;
    size_t offset = 0;
};
// The frames from the start of a file, up to the first byte that does not
// begin a whole frame; `end` is where they stop.
std::vector<Frame> Frames(const std::vector<uint8_t>& file, size_t* end);

}  // namespace writertest
