#include "platform/acm/Stream.h"

namespace platform::acm {

namespace {
constexpr uint32_t kKnownFlags = kConvertBlockAlign | kConvertStart | kConvertEnd;

bool sameBuffer(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    return a.data() == b.data() && a.size() == b.size();
}
}  // namespace

Result Stream::open(const CodecRegistry& codecs, const WaveFormat& source,
                    const WaveFormat& destination) {
    close();
    converter_ = codecs.open(source, destination);
    if (!converter_) {
        return kNotPossible;
    }
    source_ = source;
    destination_ = destination;
    return kOk;
}

void Stream::close() {
    converter_.reset();
}

Result Stream::destinationSize(size_t sourceBytes, size_t& bytes) const {
    if (!converter_) {
        return kInvalidHandle;
    }
    bytes = converter_->destinationSize(sourceBytes);
    return kOk;
}

Result Stream::sourceSize(size_t destinationBytes, size_t& bytes) const {
    if (!converter_) {
        return kInvalidHandle;
    }
    bytes = converter_->sourceSize(destinationBytes);
    return kOk;
}

Result Stream::prepareHeader(StreamHeader& header) const {
    if (!converter_) {
        return kInvalidHandle;
    }
    if (header.isPrepared()) {
        return kBusy;
    }
    if (header.destination.empty()) {
        return kInvalidParam;
    }
    header.owner_ = converter_.get();
    header.preparedSource_ = header.source;
    header.preparedDestination_ = header.destination;
    if (header.sourceLength == 0) {
        header.sourceLength = header.source.size();
    }
    if (header.destinationLength == 0) {
        header.destinationLength = header.destination.size();
    }
    return kOk;
}

Result Stream::unprepareHeader(StreamHeader& header) const {
    if (!converter_) {
        return kInvalidHandle;
    }
    if (header.owner_ != converter_.get()) {
        return kUnprepared;
    }
    header.owner_ = nullptr;
    return kOk;
}

Result Stream::check(const StreamHeader& header) const {
    if (!converter_) {
        return kInvalidHandle;
    }
    if (header.owner_ != converter_.get()) {
        return kUnprepared;
    }
    if (!sameBuffer(header.source, header.preparedSource_) ||
        !sameBuffer(header.destination, header.preparedDestination_) ||
        header.sourceLength > header.source.size() ||
        header.destinationLength > header.destination.size()) {
        return kInvalidParam;
    }
    return kOk;
}

Result Stream::convert(StreamHeader& header, uint32_t flags) {
    if ((flags & ~kKnownFlags) != 0) {
        return kInvalidFlag;
    }
    if (const Result r = check(header); r != kOk) {
        return r;
    }
    if ((flags & kConvertStart) != 0) {
        converter_->reset();
    }
    const auto done =
        converter_->convert(header.source.first(header.sourceLength),
                            header.destination.first(header.destinationLength), flags);
    header.sourceLengthUsed = done.consumed;
    header.destinationLengthUsed = done.produced;
    return done.result;
}

}  // namespace platform::acm
