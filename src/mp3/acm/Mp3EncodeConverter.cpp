#include "mp3/acm/Mp3EncodeConverter.h"

#include <algorithm>
#include <cstring>

#include "mp3/Mp3FrameHeader.h"

namespace mp3::acm {

namespace {

constexpr int kFastQuality = 0;
// Frames the encoder may still hold back beyond those of the input given:
// its look-ahead granule and what the flush adds.
constexpr size_t kHeldFrames = 4;
constexpr size_t kScratchBytes = 2 * enc::Mp3EncoderHandle::kMinOutputBytes;

}  // namespace

std::unique_ptr<enc::Mp3EncoderHandle> Mp3EncodeConverter::makeEncoder(
    const Mp3WaveFormat& format) {
    auto encoder = enc::Mp3EncoderHandle::create(format.sampleRate, format.channels, kFastQuality);
    if (!encoder) {
        return nullptr;
    }
    auto config = encoder->config();
    config.allowIntensity = 0;
    config.paddingMode = 0;  // ISO padding keeps the byte rate exact
    if (!encoder->setConfig(config) ||
        !encoder->setOutputFormat(static_cast<int>(format.sampleRate), format.channels,
                                  static_cast<int>(format.bitrate)) ||
        encoder->outputRate() != static_cast<int>(format.sampleRate) ||
        encoder->outputChannels() != format.channels) {
        return nullptr;
    }
    return encoder;
}

std::unique_ptr<Mp3EncodeConverter> Mp3EncodeConverter::open(const Mp3WaveFormat& format) {
    std::unique_ptr<Mp3EncodeConverter> converter(new Mp3EncodeConverter(format));
    converter->encoder_ = makeEncoder(format);
    return converter->encoder_ ? std::move(converter) : nullptr;
}

Mp3EncodeConverter::Mp3EncodeConverter(const Mp3WaveFormat& format)
    : format_(format), scratch_(kScratchBytes) {}

size_t Mp3EncodeConverter::blockBytes() const {
    return size_t{samplesPerFrame(format_.sampleRate)} * format_.channels * sizeof(int16_t);
}

size_t Mp3EncodeConverter::longestFrame() const {
    return frameBytes(format_.sampleRate, format_.bitrate) + 1;  // padded
}

size_t Mp3EncodeConverter::destinationSize(size_t sourceBytes) const {
    const size_t blocks = (sourceBytes + blockBytes() - 1) / blockBytes();
    return (blocks + kHeldFrames) * longestFrame();
}

size_t Mp3EncodeConverter::sourceSize(size_t destinationBytes) const {
    const size_t frames = destinationBytes / longestFrame();
    return frames > kHeldFrames ? (frames - kHeldFrames) * blockBytes() : 0;
}

void Mp3EncodeConverter::reset() {
    encoder_ = makeEncoder(format_);
    coded_.clear();
    flushed_ = false;
}

platform::acm::Conversion Mp3EncodeConverter::convert(std::span<const uint8_t> source,
                                                      std::span<uint8_t> destination,
                                                      uint32_t flags) {
    platform::acm::Conversion c;
    if (!encoder_) {
        c.result = platform::acm::kError;
        return c;
    }
    const bool end = (flags & platform::acm::kConvertEnd) != 0;
    const size_t frameBytes = size_t{format_.channels} * sizeof(int16_t);
    for (;;) {
        handOut(destination, c.produced, false);
        if (!coded_.empty() && frameAt(0) > destination.size() - c.produced) {
            break;  // the next frame does not fit
        }
        const size_t left = source.size() - c.consumed;
        const size_t take = left >= blockBytes() ? blockBytes() : (end ? left : 0);
        if (take > 0) {
            // A torn sample frame at the very end cannot be coded.
            if (!encode(source.data() + c.consumed, take / frameBytes * frameBytes)) {
                c.result = platform::acm::kError;
                return c;
            }
            c.consumed += take;
        } else if (end && !flushed_) {
            if (!flush()) {
                c.result = platform::acm::kError;
                return c;
            }
        } else {
            break;
        }
    }
    if (end && flushed_) {
        handOut(destination, c.produced, true);
    }
    return c;
}

bool Mp3EncodeConverter::encode(const uint8_t* pcm, size_t bytes) {
    size_t taken = 0;
    for (;;) {
        size_t used = 0;
        const int made =
            encoder_->encode(pcm + taken, bytes - taken, &used, scratch_.data(), scratch_.size());
        if (made < 0) {
            return false;
        }
        coded_.insert(coded_.end(), scratch_.begin(), scratch_.begin() + made);
        taken += used;
        if (made == 0 && (used == 0 || taken == bytes)) {
            return true;
        }
    }
}

bool Mp3EncodeConverter::flush() {
    flushed_ = true;
    for (;;) {
        const int made = encoder_->encode(nullptr, 0, nullptr, scratch_.data(), scratch_.size());
        if (made < 0) {
            return false;
        }
        if (made == 0) {
            return true;
        }
        coded_.insert(coded_.end(), scratch_.begin(), scratch_.begin() + made);
    }
}

// The length of the frame that starts `at` bytes into the coded bytes (it
// may run past their end); the rest of them when no frame header is there.
size_t Mp3EncodeConverter::frameAt(size_t at) const {
    const size_t left = coded_.size() - at;
    if (left >= 4) {
        const uint8_t* p = coded_.data() + at;
        const uint32_t word =
            uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
        Mp3FrameHeader header;
        if (decodeMp3Header(word, header) && header.frameBytes() > 0) {
            return header.frameBytes();
        }
    }
    return left;
}

// Moves whole frames that fit into the destination; with `all` also a
// shorter rest.
void Mp3EncodeConverter::handOut(std::span<uint8_t> destination, size_t& produced, bool all) {
    size_t given = 0;
    while (given < coded_.size()) {
        const size_t left = coded_.size() - given;
        size_t n = frameAt(given);
        if (n > left) {
            n = all ? left : 0;
        }
        if (n == 0 || n > destination.size() - produced) {
            break;
        }
        std::memcpy(destination.data() + produced, coded_.data() + given, n);
        produced += n;
        given += n;
    }
    coded_.erase(coded_.begin(), coded_.begin() + static_cast<std::ptrdiff_t>(given));
}

}  // namespace mp3::acm
