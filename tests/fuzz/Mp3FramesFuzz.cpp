// libFuzzer target: MP3 frame headers, the frame sync and the stream and
// file analysis ("Xing" and "VBRI" headers) on arbitrary bytes. A header
// that decodes must describe a frame that can exist; the sync must never
// hand out more bytes than it was fed; an offset must lie in the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzRequire.h"
#include "mp3/Mp3FileAnalysis.h"
#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3InputBuffer.h"
#include "mp3/Mp3StreamFormat.h"
#include "mp3/Mp3VbrHeaders.h"

namespace {

// 24 bytes: 8 kbit/s at 24 kHz; the longest is a free-format frame.
constexpr uint32_t kMinFrameBytes = 24;
constexpr uint32_t kMaxFrameBytes = mp3::kMp3MaxFrameBytes;
constexpr size_t kMaxHeaderScan = 4096;

uint32_t wordAt(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

void checkHeaders(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 4 <= size && i < kMaxHeaderScan; ++i) {
        mp3::Mp3FrameHeader h;
        if (!mp3::decodeMp3Header(wordAt(data + i), h)) {
            require(!h.valid && h.frameLengthBits == 0);
            continue;
        }
        require(h.valid && h.layer == 3 && (h.channels == 1 || h.channels == 2));
        // A free-format header has no length until the next header is found.
        require(h.freeFormat()
                    ? h.frameBytes() == 0
                    : h.frameBytes() >= kMinFrameBytes && h.frameBytes() <= kMaxFrameBytes);
        require(h.samplesPerFrame() == (h.version == mp3::kMp3Version1 ? 1152u : 576u));
        mp3::isVbrHeaderFrame(data + i, size - i);
        mp3::Mp3XingHeader xing;
        mp3::parseXingHeader(data + i, size - i, xing);
        mp3::Mp3VbriHeader vbri;
        if (mp3::parseVbriHeader(data + i, size - i, vbri)) {
            require(vbri.toc.size() == vbri.entries + size_t{1});
        }
    }
}

// Feeds the input in pieces of `piece` bytes and takes every frame the
// sync finds; what it hands out and skips never exceeds what came in.
void checkSync(const uint8_t* data, size_t size, size_t piece) {
    mp3::Mp3InputBuffer input(2 * kMaxFrameBytes + 4);
    std::vector<uint8_t> frame(kMaxFrameBytes);
    size_t fed = 0;
    uint64_t taken = 0;
    for (int guard = 0; guard < 1 << 16; ++guard) {
        const mp3::Mp3Ssc rc = input.sync();
        if (rc == mp3::ssc::kOk) {
            const uint32_t bytes = input.header().frameBytes();
            require(bytes <= input.bytesHeld() && bytes <= frame.size());
            input.copy(0, frame.data(), bytes);
            require(wordAt(frame.data()) == input.header().word);
            input.consumeFrame();
            taken += bytes;
        } else if (rc == mp3::ssc::kSyncEof) {
            break;
        } else if (rc != mp3::ssc::kSyncLost) {
            if (fed == size) {
                input.markFinished();
            }
            fed += input.feed(data + fed, std::min(piece, size - fed));
        }
        require(taken + input.skippedBytes() + input.bytesHeld() == fed);
    }
}

void checkAnalysis(const uint8_t* data, size_t size, uint64_t dataSize) {
    mp3::Mp3StreamFormat format;
    const int64_t first = mp3::analyseMp3Stream(data, size, dataSize & 1, format);
    require(first < static_cast<int64_t>(size) * 8);
    mp3::Mp3FileAnalysis analysis;
    if (!analysis.analyse(data, size, dataSize)) {
        require(first < 0);
        return;
    }
    for (int step = 0; step <= 10; ++step) {
        require(analysis.percentToOffset(step * 10.0) <= analysis.dataSize());
        require(analysis.timeToOffset(analysis.info().duration * step / 10.0) <=
                analysis.dataSize());
    }
    require(analysis.timeToOffset(-1.0) <= analysis.dataSize());
    require(analysis.percentToOffset(1e9) <= analysis.dataSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte sizes the pieces fed to the sync and the file size
    // the analysis is told.
    const uint8_t pick = data[0];
    ++data;
    --size;
    checkHeaders(data, size);
    checkSync(data, size, 1 + size_t{pick} * 13);
    checkAnalysis(data, size, (pick & 0x80) ? uint64_t{1} << 40 : size + pick);
    return 0;
}
