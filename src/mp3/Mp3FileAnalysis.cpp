#include "mp3/Mp3FileAnalysis.h"

#include <algorithm>
#include <cmath>

namespace mp3 {

namespace {
// Header counts and file sizes are untrusted: a result too large for the
// record's 32 bits saturates instead of wrapping.
uint32_t saturated(double value) {
    return static_cast<uint32_t>(std::clamp(value, 0.0, 4294967295.0));
}

uint32_t bitrateOf(uint64_t bytes, double durationMs) {
    return saturated(static_cast<double>(bytes) * 8.0 / (durationMs * 0.001));
}
}  // namespace

bool Mp3FileAnalysis::analyse(const uint8_t* buffer, size_t length, uint64_t dataSize) {
    *this = Mp3FileAnalysis{};
    const int64_t firstBit = analyseMp3Stream(buffer, length, false, format_);
    if (firstBit < 0) {
        return false;
    }
    dataSize_ = dataSize;
    info_.channels = format_.channels;
    info_.sampleRate = format_.samplesPerSec;
    info_.bitrate = format_.bitrate;
    if (dataSize_ > 0 && info_.bitrate >= 1) {
        info_.duration =
            saturated(static_cast<double>(dataSize_) / (info_.bitrate * 0.125) * 1000.0);
    }
    info_.variableBitrate = (format_.flags & kFormatVariableBitrate) ? 1 : 0;
    info_.seekable = info_.variableBitrate ? 0 : 1;
    info_.vbrHeader = 0;
    const double samplesPerFrame = info_.sampleRate > 24000 ? 1152.0 : 576.0;
    frameDurationMs_ = samplesPerFrame / info_.sampleRate * 1000.0;

    const size_t at = static_cast<size_t>(firstBit / 8);
    hasVbri_ = parseVbriHeader(buffer + at, length - at, vbri_);
    if (hasVbri_) {
        applyVbri();
        return true;
    }
    hasXing_ = parseXingHeader(buffer + at, length - at, xing_);
    if (hasXing_) {
        applyXing();
    }
    return true;
}

void Mp3FileAnalysis::applyVbri() {
    dataSize_ = vbri_.bytes;
    const double duration = vbri_.frames * frameDurationMs_;
    info_.duration = saturated(duration);
    if (duration > 0.0) {
        info_.bitrate = bitrateOf(dataSize_, duration);
    }
    info_.variableBitrate = info_.vbrHeader = info_.seekable = 1;
    format_.avgBytesPerSec = info_.bitrate / 8;
}

void Mp3FileAnalysis::applyXing() {
    if (xing_.flags & kXingBytes) {
        dataSize_ = xing_.bytes;
    }
    if (xing_.flags & kXingFrames) {
        const double duration = xing_.frames * frameDurationMs_;
        info_.duration = saturated(duration);
        if (duration > 0.0) {
            info_.bitrate = bitrateOf(dataSize_, duration);
        }
    }
    info_.variableBitrate = info_.vbrHeader = 1;
    info_.seekable = (xing_.flags & kXingToc) ? 1 : 0;
}

uint64_t Mp3FileAnalysis::timeToOffset(double milliseconds) const {
    const double position = std::clamp(milliseconds, 0.0, static_cast<double>(info_.duration));
    const double framePosition = frameDurationMs_ > 0.0 ? position / frameDurationMs_ : 0.0;
    double offset = 0.0;
    if (xingTable()) {
        return info_.duration > 0 ? percentToOffset(position * 100.0 / info_.duration) : 0;
    }
    if (hasVbri_ && vbri_.entries > 0 && vbri_.framesPerEntry > 0) {
        offset = static_cast<double>(vbriOffset(framePosition));
    } else if (format_.blockSize > 1 && format_.framesPerBlock >= 1) {
        offset = std::trunc(framePosition / format_.framesPerBlock) * format_.blockSize;
    } else {
        offset = std::trunc(info_.bitrate * 0.125 * position * 0.001);
    }
    return static_cast<uint64_t>(std::clamp(offset, 0.0, static_cast<double>(dataSize_)));
}

// Linear interpolation between the table entries around the frame position.
uint64_t Mp3FileAnalysis::vbriOffset(double framePosition) const {
    const double perEntry = vbri_.framesPerEntry;
    const size_t i = std::min<size_t>(static_cast<size_t>(framePosition / perEntry), vbri_.entries);
    const double lowOffset = static_cast<double>(vbri_.toc[i]);
    const double lowFrame = static_cast<double>(i) * perEntry;
    double highOffset = static_cast<double>(dataSize_);
    double highFrame = vbri_.frames;
    if (i + 1 <= vbri_.entries) {
        highOffset = static_cast<double>(vbri_.toc[i + 1]);
        highFrame = static_cast<double>(i + 1) * perEntry;
    }
    if (highFrame <= lowFrame) {
        return static_cast<uint64_t>(lowOffset);
    }
    return static_cast<uint64_t>(lowOffset + (highOffset - lowOffset) * (framePosition - lowFrame) /
                                                 (highFrame - lowFrame));
}

uint64_t Mp3FileAnalysis::percentToOffset(double percent) const {
    percent = std::clamp(percent, 0.0, 100.0);
    if (!xingTable()) {
        return timeToOffset(std::trunc(percent * 0.01 * info_.duration));
    }
    const int i = std::min(static_cast<int>(percent), 99);
    const double a = xing_.toc[i];
    const double b = i == 99 ? 256.0 : xing_.toc[i + 1];
    const double offset = std::trunc((a + (b - a) * (percent - i)) * dataSize_ / 256.0);
    return static_cast<uint64_t>(std::clamp(offset, 0.0, static_cast<double>(dataSize_)));
}

}  // namespace mp3
