#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::acm {

// One block layout of an ADPCM format: a block of blockBytes() bytes holds
// framesPerBlock() frames of 16-bit samples (interleaved channels).
class BlockCoder {
  public:
    virtual ~BlockCoder() = default;
    virtual size_t blockBytes() const = 0;
    virtual size_t framesPerBlock() const = 0;
    virtual uint16_t channels() const = 0;
    // Decodes a block; a short (truncated) block gives the frames it holds
    // in full. Returns the frames written.
    virtual size_t decode(std::span<const uint8_t> block, int16_t* frames) const = 0;
    // Encodes framesPerBlock() frames into one block.
    virtual void encode(const int16_t* frames, uint8_t* block) = 0;
    // Forgets state carried from block to block by the encoder.
    virtual void reset() = 0;
};

}  // namespace platform::acm
