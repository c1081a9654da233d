#include "mp3/Mp3Gapless.h"

#include <algorithm>

#include "mp3/Mp3LameTag.h"
#include "mp3/Mp3VbrHeaders.h"

namespace mp3 {

namespace {
uint32_t samplesPerFrame(const uint8_t* frame) {
    return (frame[1] & 0x08) != 0 ? 1152 : 576;
}

Mp3Gapless trimmed(uint64_t frames, uint32_t perFrame, uint32_t start, uint32_t end) {
    const uint64_t decoded = frames * perFrame;
    Mp3Gapless g{start, end, 0};
    g.samples = decoded > uint64_t{start} + end ? decoded - start - end : 0;
    return g;
}
}  // namespace

std::optional<Mp3Gapless> gaplessOf(const uint8_t* frame, size_t available) {
    if (available < 4) {
        return std::nullopt;
    }
    const uint32_t perFrame = samplesPerFrame(frame);
    Mp3LameTag lame;
    if (parseLameTag(frame, available, lame)) {
        // A padding shorter than the decoder's delay leaves nothing to cut.
        const uint32_t end = lame.padding > kMp3DecoderDelay ? lame.padding - kMp3DecoderDelay : 0;
        return trimmed(lame.frames, perFrame, lame.delay + kMp3DecoderDelay, end);
    }
    // Our encoder's VBRI delay counts the header frame, which holds no
    // audio, as the frame it is; another encoder's (576 in MPEG-1) comes out
    // as no cut. VBRI tells no padding: the end is played whole.
    Mp3VbriHeader vbri;
    if (parseVbriHeader(frame, available, vbri)) {
        const int64_t start = int64_t{vbri.delay} - perFrame + kMp3DecoderDelay;
        return trimmed(vbri.frames, perFrame, static_cast<uint32_t>(std::max<int64_t>(start, 0)),
                       0);
    }
    return std::nullopt;
}

}  // namespace mp3
