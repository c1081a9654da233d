#include "platform/acm/AdpcmConverter.h"

#include <algorithm>
#include <cstring>

namespace platform::acm {

AdpcmConverter::AdpcmConverter(std::unique_ptr<BlockCoder> coder, Direction direction)
    : coder_(std::move(coder)), direction_(direction) {
    samples_.resize(coder_->framesPerBlock() * coder_->channels());
}

size_t AdpcmConverter::pcmBlockBytes() const {
    return samples_.size() * sizeof(int16_t);
}

size_t AdpcmConverter::destinationSize(size_t sourceBytes) const {
    if (direction_ == Direction::Decode) {
        const size_t blocks = (sourceBytes + coder_->blockBytes() - 1) / coder_->blockBytes();
        return blocks * pcmBlockBytes();
    }
    const size_t blocks = (sourceBytes + pcmBlockBytes() - 1) / pcmBlockBytes();
    return blocks * coder_->blockBytes();
}

size_t AdpcmConverter::sourceSize(size_t destinationBytes) const {
    if (direction_ == Direction::Decode) {
        return destinationBytes / pcmBlockBytes() * coder_->blockBytes();
    }
    return destinationBytes / coder_->blockBytes() * pcmBlockBytes();
}

Conversion AdpcmConverter::convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                   uint32_t flags) {
    const bool end = (flags & kConvertEnd) != 0;
    return direction_ == Direction::Decode ? decode(source, destination, end)
                                           : encode(source, destination, end);
}

Conversion AdpcmConverter::decode(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                  bool end) {
    const size_t in = coder_->blockBytes(), out = pcmBlockBytes();
    const size_t frameBytes = coder_->channels() * sizeof(int16_t);
    Conversion c;
    while (destination.size() - c.produced >= out) {
        const size_t left = source.size() - c.consumed;
        if (left == 0 || (left < in && !end)) {
            break;
        }
        const size_t take = std::min(left, in);
        const size_t frames = coder_->decode(source.subspan(c.consumed, take), samples_.data());
        std::memcpy(destination.data() + c.produced, samples_.data(), frames * frameBytes);
        c.consumed += take;
        c.produced += frames * frameBytes;
    }
    return c;
}

Conversion AdpcmConverter::encode(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                  bool end) {
    const size_t in = pcmBlockBytes(), out = coder_->blockBytes();
    const size_t frameBytes = coder_->channels() * sizeof(int16_t);
    Conversion c;
    while (destination.size() - c.produced >= out) {
        const size_t left = source.size() - c.consumed;
        if (left < in && (!end || left < frameBytes)) {
            // A torn frame cannot be coded; at the end it is dropped.
            c.consumed += end ? left : 0;
            break;
        }
        const size_t take = std::min(left, in);
        const size_t whole = take / frameBytes * frameBytes;
        std::memcpy(samples_.data(), source.data() + c.consumed, whole);
        std::fill(samples_.begin() + whole / sizeof(int16_t), samples_.end(), int16_t{0});
        coder_->encode(samples_.data(), destination.data() + c.produced);
        c.consumed += take;
        c.produced += out;
    }
    return c;
}

}  // namespace platform::acm
