#include "mp3/Mp3StreamFormat.h"

#include <algorithm>
#include <array>
#include <bit>

#include "mp3/Mp3InputBuffer.h"
#include "mp3/Mp3VbrHeaders.h"

namespace mp3 {

namespace {
// Count, sum, first, minimum, maximum and whether every value was the same.
struct RunningStat {
    uint64_t count = 0;
    uint64_t sum = 0;
    uint32_t first = 0;
    uint32_t min = 0;
    uint32_t max = 0;
    bool allEqual = true;

    void add(uint32_t v) {
        if (count == 0) {
            first = min = max = v;
        }
        allEqual = allEqual && v == first;
        min = v < min ? v : min;
        max = v > max ? v : max;
        sum += v;
        ++count;
    }
    uint32_t mean() const { return count == 0 ? 0 : static_cast<uint32_t>(sum / count); }
};

// Finds a repeating pattern of up to four values from the first four.
struct PeriodDetector {
    static constexpr int kCapacity = 4;
    std::array<uint32_t, kCapacity> stored{};
    std::array<bool, kCapacity + 1> broken{};
    uint64_t count = 0;

    void add(uint32_t v) {
        if (count < kCapacity) {
            stored[count] = v;
        }
        for (int p = 1; p <= kCapacity; ++p) {
            broken[p] = broken[p] || v != stored[count % p];
        }
        ++count;
    }
    int period() const {
        for (int p = 1; p <= kCapacity; ++p) {
            if (!broken[p] && count > 0) {
                return p;
            }
        }
        return 0;
    }
    uint64_t periodSum() const {
        uint64_t sum = 0;
        for (int i = 0; i < period(); ++i) {
            sum += stored[i];
        }
        return sum;
    }
};

struct StreamStats {
    RunningStat channels, sampleRate, bitrate, padding, crc;
    PeriodDetector frameBytes, bitrates;

    void add(const Mp3FrameHeader& h) {
        channels.add(h.channels);
        sampleRate.add(h.sampleRate);
        bitrate.add(h.bitrate);
        padding.add(h.padding);
        crc.add(h.crcPresent);
        frameBytes.add(h.frameBytes());
        bitrates.add(h.bitrate);
    }
};

void fillFormat(const StreamStats& s, bool computedBlockSize, Mp3StreamFormat& f) {
    f.channels = static_cast<uint16_t>(s.channels.mean());
    f.samplesPerSec = s.sampleRate.mean();
    const int bitratePeriod = s.bitrates.period();
    f.bitrate = bitratePeriod > 0 ? static_cast<uint32_t>(s.bitrates.periodSum() / bitratePeriod)
                                  : s.bitrate.mean();
    f.avgBytesPerSec = f.bitrate / 8;
    const int lengthPeriod = s.frameBytes.period();
    f.framesPerBlock = static_cast<uint16_t>(lengthPeriod > 0 ? lengthPeriod : 1);
    f.blockSize = static_cast<uint16_t>(lengthPeriod > 0 ? s.frameBytes.periodSum() : 1);
    if (s.bitrate.allEqual && !s.padding.allEqual) {
        f.blockSize = f.framesPerBlock = 1;
    }
    if (computedBlockSize && f.blockSize == 1 && f.samplesPerSec > 0) {
        const double perFrame = f.samplesPerSec <= 24000 ? 72.0 : 144.0;
        f.blockSize = static_cast<uint16_t>(
            static_cast<uint32_t>(static_cast<double>(f.bitrate) / f.samplesPerSec * perFrame) *
            f.framesPerBlock);
    }
    f.flags = 0;
    if (s.padding.allEqual) {
        f.flags |= s.padding.first ? kFormatAllPadded : kFormatNonePadded;
    }
    if (s.crc.allEqual) {
        f.flags |= s.crc.first ? kFormatAllCrc : kFormatNoCrc;
    }
    if (bitratePeriod == 0) {
        f.flags |= kFormatVariableBitrate;
    }
}

// A VBR header in the first frame gives the mean bitrate of the whole file.
void applyVbrHeader(const uint8_t* frame, size_t available, const Mp3FrameHeader& h,
                    Mp3StreamFormat& f) {
    uint32_t frames = 0;
    uint32_t bytes = 0;
    Mp3VbriHeader vbri;
    Mp3XingHeader xing;
    if (parseVbriHeader(frame, available, vbri)) {
        frames = vbri.frames;
        bytes = vbri.bytes;
    } else if (parseXingHeader(frame, available, xing) && (xing.flags & kXingFrames) &&
               (xing.flags & kXingBytes)) {
        frames = xing.frames;
        bytes = xing.bytes;
    }
    const double seconds = static_cast<double>(frames) * h.samplesPerFrame() / h.sampleRate;
    if (seconds > 0.0) {
        // The counts are untrusted: a bitrate beyond 32 bits saturates.
        f.bitrate = static_cast<uint32_t>(std::min(bytes * 8.0 / seconds, 4294967295.0));
        f.avgBytesPerSec = f.bitrate / 8;
        f.flags |= kFormatVariableBitrate;
    }
}
}  // namespace

platform::WaveFormat Mp3StreamFormat::toWaveFormat() const {
    platform::WaveFormat w;
    w.setTag(kWaveFormatMpegLayer3);
    w.setChannels(channels);
    w.setSamplesPerSec(samplesPerSec);
    w.setAvgBytesPerSec(avgBytesPerSec);
    w.setBlockAlign(1);
    w.setBitsPerSample(0);
    const uint8_t extra[12] = {1,
                               0,
                               static_cast<uint8_t>(flags),
                               static_cast<uint8_t>(flags >> 8),
                               static_cast<uint8_t>(flags >> 16),
                               static_cast<uint8_t>(flags >> 24),
                               static_cast<uint8_t>(blockSize),
                               static_cast<uint8_t>(blockSize >> 8),
                               static_cast<uint8_t>(framesPerBlock),
                               static_cast<uint8_t>(framesPerBlock >> 8),
                               0,
                               0};
    w.setExtra(extra);
    return w;
}

int64_t analyseMp3Stream(const uint8_t* data, size_t size, bool computedBlockSize,
                         Mp3StreamFormat& format) {
    format = Mp3StreamFormat{};
    if (data == nullptr || size < 4) {
        return -1;
    }
    Mp3InputBuffer input(std::bit_ceil(size));
    input.feed(data, size);
    input.markFinished();
    StreamStats stats;
    int64_t first = -1;
    Mp3FrameHeader firstHeader;
    while (input.sync() == ssc::kOk) {
        // A header frame may be coded at a bitrate of its own, to hold its
        // fields: the stream's facts come from the audio frames.
        bool headerFrame = false;
        if (first < 0) {
            const size_t at = static_cast<size_t>(input.skippedBytes());
            first = static_cast<int64_t>(at) * 8;
            firstHeader = input.header();
            headerFrame = isVbrHeaderFrame(data + at, size - at);
        }
        if (!headerFrame) {
            stats.add(input.header());
        }
        input.consumeFrame();
    }
    if (first < 0) {
        return -1;
    }
    if (stats.channels.count == 0) {
        stats.add(firstHeader);
    }
    fillFormat(stats, computedBlockSize, format);
    const size_t at = static_cast<size_t>(first / 8);
    applyVbrHeader(data + at, size - at, firstHeader, format);
    return first;
}

}  // namespace mp3
