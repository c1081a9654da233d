#pragma once

#include <cstdint>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "platform/WaveFormat.h"
#include "support/Files.h"
#include "support/PcmSource.h"

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

// A source of `pcm`; see testsupport::PcmSource for the gate and the failure.
struct PcmSource : testsupport::PcmSource {
    explicit PcmSource(const Pcm& pcm, int failAfter = -1)
        : testsupport::PcmSource(nullptr, pcm.format, pcm.samples, failAfter) {}
};

struct Frame {
    mp3::Mp3FrameHeader header;
    size_t offset = 0;
};
// The frames from the start of a file, up to the first byte that does not
// begin a whole frame; `end` is where they stop.
std::vector<Frame> Frames(const std::vector<uint8_t>& file, size_t* end);

}  // namespace writertest
