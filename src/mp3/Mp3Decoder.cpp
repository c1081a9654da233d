#include "mp3/Mp3Decoder.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace mp3 {

namespace {
constexpr size_t kInputCapacity = 8192;

void writeFloat(const Mp3DecoderCore& core, int channels, float* out) {
    const int samples = core.pcmSamples();
    for (int ch = 0; ch < channels; ++ch) {
        const float* pcm = core.pcm(ch);
        for (int i = 0; i < samples; ++i) {
            out[i * channels + ch] = pcm[i];
        }
    }
}

inline int clampSample(float v) {
    return static_cast<int>(std::lrint(std::clamp(v, -32768.0f, 32767.0f)));
}

void writePcm16(const Mp3DecoderCore& core, int channels, int16_t* out) {
    const int samples = core.pcmSamples();
    for (int ch = 0; ch < channels; ++ch) {
        const float* pcm = core.pcm(ch);
        for (int i = 0; i < samples; ++i) {
            out[i * channels + ch] = static_cast<int16_t>(clampSample(pcm[i]));
        }
    }
}

void writePcm8(const Mp3DecoderCore& core, int channels, uint8_t* out) {
    const int samples = core.pcmSamples();
    for (int ch = 0; ch < channels; ++ch) {
        const float* pcm = core.pcm(ch);
        for (int i = 0; i < samples; ++i) {
            out[i * channels + ch] =
                static_cast<uint8_t>(((clampSample(pcm[i]) + 32768) & 0xFFFF) >> 8);
        }
    }
}

class Mp3Decoder final : public IMp3Decoder {
  public:
    explicit Mp3Decoder(const Mp3DecoderOptions& options)
        : input_(kInputCapacity), core_(options) {}

    void reset() override {
        end_ = false;
        input_.reset();
        core_.reset();
    }
    Mp3Ssc decodeFloat(void* out, size_t size, size_t* written) override {
        return decode(out, size, written, true);
    }
    Mp3Ssc decodePcm(void* out, size_t size, size_t* written) override {
        return decode(out, size, written, false);
    }
    const Mp3FrameInfo& frameInfo() const override { return info_; }
    void attachSource(IMp3PullSource* source) override { input_.setPullSource(source); }
    size_t feed(const uint8_t* data, size_t count) override {
        return data == nullptr ? 0 : input_.feed(data, count);
    }
    size_t freeSpace() const override { return input_.freeSpace(); }
    size_t bytesHeld() const override { return input_.bytesHeld(); }
    void markFinished() override { input_.markFinished(); }
    bool atEnd() const override { return end_; }

  private:
    Mp3Ssc decode(void* out, size_t size, size_t* written, bool floating);
    void write(void* out, bool floating) const;
    void refreshInfo(Mp3Ssc code);

    Mp3InputBuffer input_;
    Mp3DecoderCore core_;
    Mp3FrameInfo info_;
    bool end_ = false;
};

Mp3Ssc Mp3Decoder::decode(void* out, size_t size, size_t* written, bool floating) {
    if (written != nullptr) {
        *written = 0;
    }
    const Mp3Ssc sync = input_.sync();
    if (mp3SscFailed(sync)) {
        end_ = end_ || sync == ssc::kSyncEof;
        if (sync == ssc::kSyncLost) {
            core_.reset();
        }
        return sync;
    }
    const size_t needed = mp3OutputBytes(input_.header(), core_.options(), floating);
    if (out != nullptr && size < needed) {
        return ssc::kBufferTooSmall;
    }
    const Mp3Ssc code = core_.decodeFrame(input_);
    input_.consumeFrame();
    if (mp3SscIsError(code)) {
        return code;
    }
    if (out != nullptr) {
        write(out, floating);
        if (written != nullptr) {
            *written = needed;
        }
    }
    refreshInfo(code);
    return code;
}

void Mp3Decoder::write(void* out, bool floating) const {
    const int channels = core_.outputChannels(input_.header());
    if (floating) {
        writeFloat(core_, channels, static_cast<float*>(out));
    } else if (core_.options().quality != 0) {
        writePcm8(core_, channels, static_cast<uint8_t*>(out));
    } else {
        writePcm16(core_, channels, static_cast<int16_t*>(out));
    }
}

void Mp3Decoder::refreshInfo(Mp3Ssc code) {
    const Mp3FrameHeader& h = input_.header();
    const Mp3DecoderOptions& o = core_.options();
    info_.layer = h.layer;
    info_.version = h.version;
    info_.bitrate = h.bitrate;
    info_.bitrateIndex = h.bitrateIndex;
    info_.channels = h.channels;
    info_.sampleRate = h.sampleRate;
    info_.outputChannels = static_cast<uint32_t>(core_.outputChannels(h));
    info_.outputSampleRate = h.sampleRate >> o.resolution;
    info_.outputBitsPerSample = o.quality != 0 ? 8 : 16;
    info_.frameLengthBits = h.frameLengthBits;
    info_.frameDurationMs = h.frameDurationMs;
    info_.crcError = code == ssc::kCrcError ? 1 : 0;
    info_.missingMainData = code == ssc::kMissingMainData ? 1 : 0;
}
}  // namespace

size_t mp3OutputBytes(const Mp3FrameHeader& header, const Mp3DecoderOptions& options,
                      bool floating) {
    const size_t channels = options.downmix ? 1 : header.channels;
    const size_t samples = header.samplesPerFrame() >> options.resolution;
    if (floating) {
        return samples * channels * 4;
    }
    return samples * channels * (options.quality != 0 ? 1 : 2);
}

Mp3Ssc createMp3Decoder(int quality, int resolution, int downmix,
                        std::unique_ptr<IMp3Decoder>* result) {
    if (result == nullptr) {
        return ssc::kInvalidParameter;
    }
    Mp3DecoderOptions options{quality, std::clamp(resolution, 0, 2), downmix != 0};
    auto* decoder = new (std::nothrow) Mp3Decoder(options);
    if (decoder == nullptr) {
        return ssc::kOutOfMemory;
    }
    result->reset(decoder);
    return ssc::kOk;
}

}  // namespace mp3
