#include "platform/WaveFormat.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {
constexpr size_t kTag = 0, kChannels = 2, kRate = 4, kAvg = 8, kAlign = 12, kBits = 14,
                 kExtraSize = 16;
constexpr size_t kPcmCompared = 16;
}  // namespace

WaveFormat::WaveFormat() : bytes_(kHeaderSize, 0) {
    put16(kTag, kWaveFormatPcm);
}

WaveFormat WaveFormat::pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample) {
    WaveFormat f;
    const uint16_t bytesPerSample = bitsPerSample / 8;
    f.setChannels(channels);
    f.setSamplesPerSec(samplesPerSec);
    f.setBitsPerSample(bitsPerSample);
    f.setBlockAlign(static_cast<uint16_t>(bytesPerSample * channels));
    f.setAvgBytesPerSec(uint32_t{channels} * bytesPerSample * samplesPerSec);
    return f;
}

std::optional<WaveFormat> WaveFormat::fromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() < kPcmCompared) {
        return std::nullopt;
    }
    WaveFormat f;
    std::memcpy(f.bytes_.data(), bytes.data(), kPcmCompared);
    if (f.tag() == kWaveFormatPcm) {
        return f;  // a PCM record carries no extra bytes, whatever the field says
    }
    if (bytes.size() < kHeaderSize) {
        return std::nullopt;
    }
    const size_t extraSize = bytes[kExtraSize] | (bytes[kExtraSize + 1] << 8);
    if (bytes.size() < kHeaderSize + extraSize) {
        return std::nullopt;
    }
    f.setExtra(bytes.subspan(kHeaderSize, extraSize));
    return f;
}

uint16_t WaveFormat::tag() const {
    return u16(kTag);
}
uint16_t WaveFormat::channels() const {
    return u16(kChannels);
}
uint32_t WaveFormat::samplesPerSec() const {
    return u32(kRate);
}
uint32_t WaveFormat::avgBytesPerSec() const {
    return u32(kAvg);
}
uint16_t WaveFormat::blockAlign() const {
    return u16(kAlign);
}
uint16_t WaveFormat::bitsPerSample() const {
    return u16(kBits);
}
uint16_t WaveFormat::extraSize() const {
    return u16(kExtraSize);
}

std::span<const uint8_t> WaveFormat::extra() const {
    return std::span<const uint8_t>(bytes_).subspan(kHeaderSize);
}

void WaveFormat::setTag(uint16_t v) {
    put16(kTag, v);
}
void WaveFormat::setChannels(uint16_t v) {
    put16(kChannels, v);
}
void WaveFormat::setSamplesPerSec(uint32_t v) {
    put32(kRate, v);
}
void WaveFormat::setAvgBytesPerSec(uint32_t v) {
    put32(kAvg, v);
}
void WaveFormat::setBlockAlign(uint16_t v) {
    put16(kAlign, v);
}
void WaveFormat::setBitsPerSample(uint16_t v) {
    put16(kBits, v);
}

void WaveFormat::setExtra(std::span<const uint8_t> extra) {
    bytes_.resize(kHeaderSize);
    bytes_.insert(bytes_.end(), extra.begin(), extra.end());
    put16(kExtraSize, static_cast<uint16_t>(extra.size()));
}

size_t WaveFormat::size() const {
    return tag() == kWaveFormatPcm ? kHeaderSize : kHeaderSize + extraSize();
}

std::span<const uint8_t> WaveFormat::bytes() const {
    return std::span<const uint8_t>(bytes_).first(size());
}

bool operator==(const WaveFormat& a, const WaveFormat& b) {
    if (a.tag() != b.tag()) {
        return false;
    }
    if (a.tag() == kWaveFormatPcm) {
        return std::equal(a.bytes_.begin(), a.bytes_.begin() + kPcmCompared, b.bytes_.begin());
    }
    if (a.extraSize() != b.extraSize()) {
        return false;
    }
    const auto x = a.bytes(), y = b.bytes();
    return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

uint16_t WaveFormat::u16(size_t at) const {
    return static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
}

uint32_t WaveFormat::u32(size_t at) const {
    return uint32_t{u16(at)} | (uint32_t{u16(at + 2)} << 16);
}

void WaveFormat::put16(size_t at, uint16_t v) {
    bytes_[at] = static_cast<uint8_t>(v);
    bytes_[at + 1] = static_cast<uint8_t>(v >> 8);
}

void WaveFormat::put32(size_t at, uint32_t v) {
    put16(at, static_cast<uint16_t>(v));
    put16(at + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace platform
