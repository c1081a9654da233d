#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatIeeeFloat = 3;

// A wave format record in its on-disk/in-memory byte layout (little endian):
// tag u16, channels u16, samples/s u32, avg bytes/s u32, block align u16,
// bits/sample u16, extra size u16, then `extra size` extra bytes.
// The bytes are the value: RIFF files and the registry store them as they are.
class WaveFormat {
  public:
    static constexpr size_t kHeaderSize = 18;

    // An all-zero PCM record (tag 1, nothing else set).
    WaveFormat();

    // tag 1, block align = bits/8 * channels, avg = channels * bits/8 * rate.
    static WaveFormat pcm(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);

    // Parses a stored record. A PCM record needs 16 bytes (the 18-byte form's
    // extra size is ignored); other tags need 18 + extra size bytes.
    // Returns nothing when the bytes are too short.
    static std::optional<WaveFormat> fromBytes(std::span<const uint8_t> bytes);

    uint16_t tag() const;
    uint16_t channels() const;
    uint32_t samplesPerSec() const;
    uint32_t avgBytesPerSec() const;
    uint16_t blockAlign() const;
    uint16_t bitsPerSample() const;
    uint16_t extraSize() const;
    std::span<const uint8_t> extra() const;

    void setTag(uint16_t v);
    void setChannels(uint16_t v);
    void setSamplesPerSec(uint32_t v);
    void setAvgBytesPerSec(uint32_t v);
    void setBlockAlign(uint16_t v);
    void setBitsPerSample(uint16_t v);
    // Replaces the extra bytes and sets the extra size to match.
    void setExtra(std::span<const uint8_t> extra);

    // 18 for PCM, 18 + extra size otherwise.
    size_t size() const;
    // The record's bytes, exactly size() of them.
    std::span<const uint8_t> bytes() const;

    // Different tags differ; PCM compares the first 16 bytes; other tags
    // compare the extra size, then every byte of the record.
    friend bool operator==(const WaveFormat& a, const WaveFormat& b);

  private:
    uint16_t u16(size_t at) const;
    uint32_t u32(size_t at) const;
    void put16(size_t at, uint16_t v);
    void put32(size_t at, uint32_t v);

    std::vector<uint8_t> bytes_;
};

}  // namespace platform
