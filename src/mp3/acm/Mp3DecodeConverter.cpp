#include "mp3/acm/Mp3DecodeConverter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "mp3/Mp3VbrHeaders.h"

namespace mp3::acm {

namespace {

// Holds the largest frame and the header after it, with room to spare.
constexpr size_t kInputCapacity = 8192;

int16_t toPcm16(float v) {
    return static_cast<int16_t>(std::nearbyint(std::clamp(v, -32768.0f, 32767.0f)));
}

}  // namespace

Mp3DecodeConverter::Mp3DecodeConverter(const Mp3WaveFormat& format)
    : sampleRate_(format.sampleRate),
      channels_(format.channels),
      input_(kInputCapacity),
      core_(Mp3DecoderOptions{}),
      pcm_(size_t{kMaxFrameSamples} * kMaxChannels) {}

size_t Mp3DecodeConverter::pcmFrameBytes() const {
    return size_t{samplesPerFrame(sampleRate_)} * channels_ * sizeof(int16_t);
}

// Every whole frame in the source is at least as long as the version's
// lowest bitrate makes it.
size_t Mp3DecodeConverter::destinationSize(size_t sourceBytes) const {
    const size_t shortest = frameBytes(sampleRate_, lowestBitrate(sampleRate_));
    return (sourceBytes / shortest + 1) * pcmFrameBytes();
}

size_t Mp3DecodeConverter::sourceSize(size_t destinationBytes) const {
    const size_t shortest = frameBytes(sampleRate_, lowestBitrate(sampleRate_));
    return destinationBytes / pcmFrameBytes() * shortest;
}

void Mp3DecodeConverter::reset() {
    input_.reset();
    core_.reset();
    first_ = true;
}

platform::acm::Conversion Mp3DecodeConverter::convert(std::span<const uint8_t> source,
                                                      std::span<uint8_t> destination,
                                                      uint32_t flags) {
    const bool end = (flags & platform::acm::kConvertEnd) != 0;
    // Input is taken afresh each call, so what is left in the buffer at the
    // end is exactly what the caller keeps.
    input_.reset();
    platform::acm::Conversion c;
    size_t fed = 0;
    Step step = Step::Decoded;
    while (step == Step::Decoded || step == Step::Skipped) {
        fed += input_.feed(source.data() + fed, source.size() - fed);
        if (end && fed == source.size()) {
            input_.markFinished();
        }
        step = next(destination.subspan(c.produced), c.produced);
        if (step == Step::NeedInput && fed < source.size() && input_.freeSpace() > 0) {
            step = Step::Skipped;  // more source fits now
        }
    }
    c.consumed = fed - input_.bytesHeld();
    if (end && step == Step::NeedInput) {
        c.consumed = source.size();  // a cut-off last frame or trailing junk
    }
    return c;
}

// Finds and decodes one frame into `room`.
Mp3DecodeConverter::Step Mp3DecodeConverter::next(std::span<uint8_t> room, size_t& produced) {
    const Mp3Ssc sync = input_.sync();
    if (sync == ssc::kSyncLost) {
        core_.reset();
        return Step::Skipped;
    }
    if (sync != ssc::kOk) {
        return Step::NeedInput;
    }
    const Mp3FrameHeader header = input_.header();
    const size_t bytes = size_t{header.samplesPerFrame()} * channels_ * sizeof(int16_t);
    if (header.sampleRate == sampleRate_ && room.size() < bytes) {
        return Step::NoRoom;
    }
    if (header.sampleRate != sampleRate_ || isHeaderFrame()) {
        input_.consumeFrame();  // not audio of this stream
        return Step::Skipped;
    }
    const Mp3Ssc code = core_.decodeFrame(input_);
    input_.consumeFrame();
    if (mp3SscIsError(code)) {
        return Step::Skipped;
    }
    write(core_.outputChannels(header));
    std::memcpy(room.data(), pcm_.data(), bytes);
    produced += bytes;
    return Step::Decoded;
}

bool Mp3DecodeConverter::isHeaderFrame() {
    if (!std::exchange(first_, false)) {
        return false;
    }
    std::vector<uint8_t> frame(input_.header().frameBytes());
    input_.copy(0, frame.data(), frame.size());
    return isVbrHeaderFrame(frame.data(), frame.size());
}

// Interleaves the frame into the record's channel count: a mono frame is
// doubled, a stereo frame averaged when the record says mono.
void Mp3DecodeConverter::write(int frameChannels) {
    int16_t* out = pcm_.data();
    const int samples = core_.pcmSamples();
    const float* left = core_.pcm(0);
    const float* right = core_.pcm(frameChannels > 1 ? 1 : 0);
    for (int i = 0; i < samples; ++i) {
        if (channels_ == 1) {
            *out++ = toPcm16(frameChannels > 1 ? (left[i] + right[i]) * 0.5f : left[i]);
        } else {
            *out++ = toPcm16(left[i]);
            *out++ = toPcm16(right[i]);
        }
    }
}

}  // namespace mp3::acm
