// libFuzzer target: arbitrary bytes decoded through the layer's MPEG
// Layer-3 conversion in pieces, the way the WAVE reader feeds it. The first
// byte picks the record's rate and channels, the second the piece size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/acm/Mp3AcmCodec.h"
#include "mp3/acm/Mp3WaveFormat.h"

using namespace platform::acm;

namespace {

constexpr uint32_t kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

// What the layer promises every caller.
void check(const Conversion& c, size_t sourceBytes, size_t room) {
    if (c.consumed > sourceBytes || c.produced > room || c.produced % 2 != 0) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint32_t rate = kRates[data[0] % 9];
    const auto channels = static_cast<uint16_t>(1 + (data[0] >> 7));
    // Never less than the longest frame and the header after it.
    const size_t piece = mp3::kMp3MaxFrameBytes + 4 + size_t{data[1]} * 16;
    const auto format = mp3::acm::Mp3WaveFormat::constantBitrate(rate, channels, 64000, 0).record();
    static const mp3::acm::Mp3AcmCodec codec;
    auto converter = codec.open(format, platform::WaveFormat::pcm(channels, rate, 16));
    std::vector<uint8_t> source(data + 2, data + size);
    std::vector<uint8_t> out(converter->destinationSize(piece));
    size_t at = 0;
    for (bool end = false; !end;) {
        const size_t n = std::min(piece, source.size() - at);
        end = at + n == source.size();
        const auto c = converter->convert({source.data() + at, n}, out,
                                          kConvertBlockAlign | (end ? kConvertEnd : 0));
        check(c, n, out.size());
        at += c.consumed;
        if (c.consumed == 0 && c.produced == 0 && !end) {
            std::abort();  // a piece that holds a whole frame must make progress
        }
        end = end && c.consumed == n;
    }
    return 0;
}
