#include "stream/AcmConversion.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/acm/CodecRegistry.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace {

uint32_t LayerError(platform::acm::Result result) {
    return nxss::kFailureBit | nxss::kFacilityMmSystem | (result & 0xFFFF);
}

}  // namespace

void AcmConversion::Open(const platform::WaveFormat& from, const platform::WaveFormat& to,
                         size_t sourceBytes, uint32_t noCodec) {
    Close();
    const auto codecs = platform::acm::CodecRegistry::current();
    if (stream_.open(*codecs, from, to) != platform::acm::kOk) {
        throw CNxSSException(noCodec);
    }
    size_t room = 0;
    if (const auto r = stream_.destinationSize(sourceBytes, room); r != platform::acm::kOk) {
        stream_.close();
        throw CNxSSException(LayerError(r));
    }
    source_.assign(sourceBytes, 0);
    destination_.assign(std::max<size_t>(room, 1), 0);
    header_ = platform::acm::StreamHeader();
    header_.source = source_;
    header_.destination = destination_;
    if (const auto r = stream_.prepareHeader(header_); r != platform::acm::kOk) {
        Close();
        throw CNxSSException(LayerError(r));
    }
}

void AcmConversion::Close() {
    if (header_.isPrepared()) {
        stream_.unprepareHeader(header_);
    }
    stream_.close();
    header_ = platform::acm::StreamHeader();
    source_ = {};
    destination_ = {};
    pending_ = 0;
    restart_ = false;
}

std::span<uint8_t> AcmConversion::Room() {
    return std::span(source_).subspan(pending_);
}

void AcmConversion::Commit(size_t bytes) {
    pending_ += std::min(bytes, source_.size() - pending_);
}

size_t AcmConversion::Append(std::span<const uint8_t> bytes) {
    const size_t n = std::min(bytes.size(), source_.size() - pending_);
    std::memcpy(source_.data() + pending_, bytes.data(), n);
    pending_ += n;
    return n;
}

AcmConversion::Step AcmConversion::Convert() {
    return Run(platform::acm::kConvertBlockAlign);
}

AcmConversion::Step AcmConversion::Drain() {
    using namespace platform::acm;
    for (const uint32_t flags :
         {kConvertBlockAlign, kConvertBlockAlign | kConvertEnd, kConvertEnd}) {
        if (Step step = Run(flags); step.progressed) {
            return step;
        }
    }
    return {};
}

void AcmConversion::Restart() {
    pending_ = 0;
    restart_ = true;
}

AcmConversion::Step AcmConversion::Run(uint32_t flags) {
    if (!IsOpen()) {
        throw CNxSSException(nxss::kFail);
    }
    if (std::exchange(restart_, false)) {
        flags |= platform::acm::kConvertStart;
    }
    header_.sourceLength = pending_;
    header_.destinationLength = destination_.size();
    if (const auto r = stream_.convert(header_, flags); r != platform::acm::kOk) {
        throw CNxSSException(LayerError(r));
    }
    const size_t used = std::min(header_.sourceLengthUsed, pending_);
    std::memmove(source_.data(), source_.data() + used, pending_ - used);
    pending_ -= used;
    const size_t made = std::min(header_.destinationLengthUsed, destination_.size());
    return {std::span<const uint8_t>(destination_).first(made), used > 0 || made > 0};
}

std::optional<platform::WaveFormat> SuggestPcm(const platform::acm::CodecRegistry& codecs,
                                               const platform::WaveFormat& format) {
    platform::acm::SuggestFilter filter;
    filter.tag = platform::acm::kTagPcm;
    return codecs.suggest(format, filter);
}
