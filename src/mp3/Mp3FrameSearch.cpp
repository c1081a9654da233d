#include "mp3/Mp3FrameSearch.h"

#include <bit>

#include "mp3/Mp3InputBuffer.h"

namespace mp3 {

namespace {
uint32_t wordAt(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
}  // namespace

bool findFirstMp3Frame(const uint8_t* data, size_t size, size_t& offset, Mp3FrameHeader& header) {
    if (data == nullptr || size < 4) {
        return false;
    }
    Mp3InputBuffer input(std::bit_ceil(size));
    input.feed(data, size);
    input.markFinished();
    if (input.sync() != ssc::kOk) {
        return false;
    }
    offset = static_cast<size_t>(input.skippedBytes());
    header = input.header();
    return true;
}

Mp3Ssc mp3StreamFailure(const uint8_t* data, size_t size) {
    size_t offset = 0;
    Mp3FrameHeader header;
    if (findFirstMp3Frame(data, size, offset, header)) {
        return ssc::kOk;
    }
    for (size_t i = 0; data != nullptr && i + 4 <= size; ++i) {
        if (data[i] == 0xFF && isMpegAudioHeader(wordAt(data + i))) {
            return ssc::kWrongLayer;
        }
    }
    return ssc::kSyncEof;
}

}  // namespace mp3
