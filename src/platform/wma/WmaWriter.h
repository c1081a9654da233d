#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace platform::wma {

// Encodes PCM into a WMA (version 2) file in ASF. The file is written under
// a temporary name in the target's folder and replaces the target only when
// finish() completes; abort(), a failure, or destruction without finish()
// leave the target as it was. Made by WmaCodec::createWriter.
//
// The decoded file starts with the first input sample and is at most one
// codec frame longer than the input: the encoder's start-up delay is fed
// with silence ahead of the audio, and the last partial frame is padded and
// pushed out.
class WmaWriter {
  public:
    virtual ~WmaWriter() = default;

    // Takes PCM of the input format; a trailing partial sample frame is kept
    // for the next call. Throws Error(WriteFailed) and then refuses more.
    virtual void write(std::span<const uint8_t> pcm) = 0;
    // Ends the stream, completes the file and moves it over the target.
    virtual void finish() = 0;
    // Drops everything written; the temporary file goes.
    virtual void abort() = 0;

    virtual const std::filesystem::path& temporaryPath() const = 0;
};

}  // namespace platform::wma
