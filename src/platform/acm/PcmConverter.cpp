#include "platform/acm/PcmConverter.h"

#include <algorithm>
#include <cstring>

#include "platform/acm/SampleConvert.h"

namespace platform::acm {

namespace {
constexpr size_t kChunkFrames = 4096;

}  // namespace

PcmConverter::PcmConverter(const PcmLayout& source, const PcmLayout& destination)
    : source_(source),
      destination_(destination),
      resampledChannels_(std::min(source.channels, destination.channels)) {
    if (source.rate != destination.rate) {
        resampler_.emplace(source.rate, destination.rate, resampledChannels_);
    }
}

bool PcmConverter::canConvert(const PcmLayout& source, const PcmLayout& destination) {
    return canMixChannels(source.channels, destination.channels) &&
           (source.rate == destination.rate || Resampler::supports(source.rate, destination.rate));
}

size_t PcmConverter::destinationSize(size_t sourceBytes) const {
    const size_t frames = (sourceBytes + source_.blockAlign() - 1) / source_.blockAlign();
    if (!resampler_) {
        return frames * destination_.blockAlign();
    }
    // The held-back look-ahead of earlier calls may come out with this one.
    const uint64_t in = frames + resampler_->lookAheadFrames() + 2;
    const uint64_t out = (in * destination_.rate + source_.rate - 1) / source_.rate + 2;
    return static_cast<size_t>(out) * destination_.blockAlign();
}

size_t PcmConverter::sourceSize(size_t destinationBytes) const {
    const uint64_t frames = destinationBytes / destination_.blockAlign();
    return static_cast<size_t>(frames * source_.rate / destination_.rate) * source_.blockAlign();
}

void PcmConverter::reset() {
    if (resampler_) {
        resampler_->reset();
    }
    finished_ = false;
}

Conversion PcmConverter::convert(std::span<const uint8_t> source, std::span<uint8_t> destination,
                                 uint32_t flags) {
    return resampler_ ? convertResampled(source, destination, flags)
                      : convertDirect(source, destination, flags);
}

Conversion PcmConverter::convertDirect(std::span<const uint8_t> source,
                                       std::span<uint8_t> destination, uint32_t flags) {
    const size_t sb = source_.blockAlign(), db = destination_.blockAlign();
    const size_t whole = source.size() / sb;
    const size_t frames = std::min(whole, destination.size() / db);
    if (source_.format() == destination_.format()) {
        std::memcpy(destination.data(), source.data(), frames * sb);
    } else {
        for (size_t done = 0; done < frames;) {
            const size_t n = std::min(kChunkFrames, frames - done);
            wideIn_.resize(n * source_.channels);
            wideOut_.resize(n * destination_.channels);
            readSamples(source.data() + done * sb, source_.kind, wideIn_.size(), wideIn_.data());
            mixChannels(wideIn_.data(), source_.channels, wideOut_.data(), destination_.channels,
                        n);
            writeSamples(wideOut_.data(), destination_.kind, wideOut_.size(),
                         destination.data() + done * db);
            done += n;
        }
    }
    // A torn last frame cannot be converted; at the end it is dropped.
    const bool dropTail = (flags & kConvertEnd) != 0 && frames == whole;
    return {kOk, dropTail ? source.size() : frames * sb, frames * db};
}

Conversion PcmConverter::convertResampled(std::span<const uint8_t> source,
                                          std::span<uint8_t> destination, uint32_t flags) {
    const size_t sb = source_.blockAlign(), db = destination_.blockAlign();
    const size_t whole = source.size() / sb;
    const size_t room = destination.size() / db;
    if (finished_ && whole > 0) {
        reset();  // new input after the end starts a new stream
    }
    size_t produced = finished_ ? 0 : resample(source.data(), whole, destination.data(), room);
    size_t consumed = whole * sb;
    if (!finished_ && (flags & (kConvertBlockAlign | kConvertEnd)) == kConvertBlockAlign) {
        // One frame stays with the caller: a caller that ends the stream
        // only while it still holds input then does end it, and the
        // filter's tail comes out.
        consumed -= resampler_->unread(1) * sb;
    }
    if ((flags & kConvertEnd) != 0) {
        finished_ = true;
        consumed = source.size();
    }
    if (finished_) {
        produced += flush(destination.data() + produced * db, room - produced);
    }
    return {kOk, consumed, produced * db};
}

size_t PcmConverter::resample(const uint8_t* source, size_t frames, uint8_t* destination,
                              size_t room) {
    size_t produced = 0;
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kChunkFrames, frames - done);
        in_.resize(n * source_.channels);
        readSamples(source + done * source_.blockAlign(), source_.kind, in_.size(), in_.data());
        const float* input = in_.data();
        if (source_.channels > resampledChannels_) {
            mixed_.resize(n * resampledChannels_);
            mixChannels(in_.data(), source_.channels, mixed_.data(), resampledChannels_, n);
            input = mixed_.data();
        }
        out_.resize((room - produced) * resampledChannels_);
        const size_t made =
            resampler_->process(std::span<const float>(input, n * resampledChannels_), out_);
        emit(made, destination + produced * destination_.blockAlign());
        produced += made;
        done += n;
    }
    return produced;
}

size_t PcmConverter::flush(uint8_t* destination, size_t room) {
    out_.resize(room * resampledChannels_);
    const size_t made = resampler_->finish(std::span<float>(out_));
    emit(made, destination);
    return made;
}

void PcmConverter::emit(size_t frames, uint8_t* destination) {
    const float* samples = out_.data();
    if (destination_.channels > resampledChannels_) {
        outMixed_.resize(frames * destination_.channels);
        mixChannels(out_.data(), resampledChannels_, outMixed_.data(), destination_.channels,
                    frames);
        samples = outMixed_.data();
    }
    writeSamples(samples, destination_.kind, frames * destination_.channels, destination);
}

}  // namespace platform::acm
