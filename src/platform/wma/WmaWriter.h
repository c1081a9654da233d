#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/AvHandles.h"
#include "platform/wma/OutputFormats.h"
#include "platform/wma/TemporaryFile.h"

namespace platform::wma {

// Encodes PCM into a WMA (version 2) file in ASF. The file is written under
// a temporary name in the target's folder and replaces the target only when
// finish() completes; abort(), a failure, or destruction without finish()
// leave the target as it was.
//
// The decoded file starts with the first input sample and is at most one
// codec frame longer than the input: the encoder's start-up delay is fed
// with silence ahead of the audio, and the last partial frame is padded and
// pushed out.
class WmaWriter {
  public:
    // `input`: PCM (tag 1: 8, 16, 24 or 32 bits; tag 3: 32-bit float), any
    // rate and channel count; it is converted to `output`. Throws Error:
    // InvalidArgument (input), UnsupportedFormat (output, with the reason
    // of checkOutput), WriteFailed, OutOfMemory. Nothing is left behind.
    WmaWriter(const std::filesystem::path& target, const WaveFormat& input,
              const OutputSettings& output, const Attributes& attributes = {});
    ~WmaWriter();
    WmaWriter(const WmaWriter&) = delete;
    WmaWriter& operator=(const WmaWriter&) = delete;

    // Takes PCM of the input format; a trailing partial sample frame is kept
    // for the next call. Throws Error(WriteFailed) and then refuses more.
    void write(std::span<const uint8_t> pcm);
    // Ends the stream, completes the file and moves it over the target.
    void finish();
    // Drops everything written; the temporary file goes.
    void abort();

    const std::filesystem::path& temporaryPath() const { return temp_.path(); }

  private:
    void openEncoder(const OutputSettings& output);
    void openMuxer(const Attributes& attributes);
    void openResampler();
    void convertPacked(const uint8_t* data, size_t frames);
    void convert(const uint8_t* packed, int frames);
    void addSilence(int frames);
    void encodeQueued();
    void encode(const AVFrame* frame);
    void recordPlayLength();
    void closeFile();
    [[noreturn]] void fail(const std::string& what, int err);
    void requireOpen() const;

    WaveFormat input_;
    TemporaryFile temp_;
    CodecContext encoder_;
    OutputContext muxer_;
    AVStream* stream_ = nullptr;
    Resampler resampler_;
    AudioFifo queue_;  // converted samples waiting for a whole codec frame
    Frame frame_;
    Packet packet_;
    std::vector<uint8_t> partial_;  // bytes of an incomplete input sample frame
    std::vector<int32_t> widened_;  // 24-bit input as 32-bit samples
    std::vector<uint8_t*> planes_;  // conversion output, one per channel
    std::vector<float> converted_;
    int64_t packets_ = 0;
    int64_t audioFrames_ = 0;  // converted input frames, without added silence
    bool open_ = true;
};

}  // namespace platform::wma
