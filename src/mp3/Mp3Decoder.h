#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "mp3/Mp3DecoderCore.h"
#include "mp3/Mp3InputBuffer.h"
#include "mp3/Mp3Ssc.h"

namespace mp3 {

// What the last decoded frame was, and what the decoder makes of it.
struct Mp3FrameInfo {
    uint32_t layer = 0;
    uint32_t version = 0;
    uint32_t bitrate = 0;
    uint32_t bitrateIndex = 0;
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t outputChannels = 0;
    uint32_t outputSampleRate = 0;
    uint32_t outputBitsPerSample = 0;
    uint32_t frameLengthBits = 0;
    float frameDurationMs = 0.0f;
    uint32_t crcError = 0;
    uint32_t missingMainData = 0;
};

// The decoder as its owner sees it: feed bytes (or attach a pull source),
// then decode one frame per call.
class IMp3Decoder {
  public:
    virtual ~IMp3Decoder() = default;
    // Clears the end flag, empties the input and resets the core (for seeks).
    virtual void reset() = 0;
    // Decodes one frame into `out` as interleaved 32-bit floats at 16-bit
    // scale (unclipped). `written` receives the bytes written.
    virtual Mp3Ssc decodeFloat(void* out, size_t size, size_t* written) = 0;
    // Decodes one frame into 16-bit signed, or with Quality 8-bit unsigned,
    // interleaved PCM.
    virtual Mp3Ssc decodePcm(void* out, size_t size, size_t* written) = 0;
    virtual const Mp3FrameInfo& frameInfo() const = 0;
    virtual void attachSource(IMp3PullSource* source) = 0;
    virtual size_t feed(const uint8_t* data, size_t count) = 0;
    virtual size_t freeSpace() const = 0;
    virtual size_t bytesHeld() const = 0;
    virtual void markFinished() = 0;
    // True once the input was finished and drained ("sync eof").
    virtual bool atEnd() const = 0;
};

// Builds a decoder. kInvalidParameter when `result` is null, kOutOfMemory
// when it cannot be allocated.
Mp3Ssc createMp3Decoder(int quality, int resolution, int downmix,
                        std::unique_ptr<IMp3Decoder>* result);

// Bytes one decoded frame of `header` needs in the caller's buffer.
size_t mp3OutputBytes(const Mp3FrameHeader& header, const Mp3DecoderOptions& options,
                      bool floating);

}  // namespace mp3
