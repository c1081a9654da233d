#include "mp3/Mp3Decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "mp3/L3Simd.h"

namespace mp3 {

namespace {
constexpr size_t kInputCapacity = 8192;

// Interleaves the channel planes: four samples of each channel at a time.
void interleave(const Mp3DecoderCore& core, int channels, float* out) {
    const int samples = core.pcmSamples();
    if (channels == 1) {
        std::memcpy(out, core.pcm(0), static_cast<size_t>(samples) * sizeof(float));
        return;
    }
    const float* left = core.pcm(0);
    const float* right = core.pcm(1);
    for (int i = 0; i < samples; i += 4) {
        const F4 l = load4(left + i);
        const F4 r = load4(right + i);
        store4(out + 2 * i, interleaveLow(l, r));
        store4(out + 2 * i + 4, interleaveHigh(l, r));
    }
}

// Rounds to nearest (ties to even) and clamps to 16 bits: adding 1.5 * 2^23
// leaves the rounded integer in the low mantissa bits.
I4 roundedPcm16(F4 v) {
    const F4 low = splat4(-32768.0f);
    const F4 high = splat4(32767.0f);
    v = v < low ? low : v;
    v = v > high ? high : v;
    const F4 shifted = v + splat4(12582912.0f);
    I4 bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return bits - 0x4B400000;
}

// Eight samples at a time: every frame's count is a multiple of eight.
void toPcm16(const float* in, size_t count, int16_t* out) {
    for (size_t i = 0; i < count; i += 8) {
        const S8 pcm = narrow16(roundedPcm16(load4(in + i)), roundedPcm16(load4(in + i + 4)));
        std::memcpy(out + i, &pcm, sizeof pcm);
    }
}

// Both channels' planes straight into interleaved 16-bit samples.
void interleavePcm16(const Mp3DecoderCore& core, int16_t* out) {
    const float* left = core.pcm(0);
    const float* right = core.pcm(1);
    for (int i = 0; i < core.pcmSamples(); i += 4) {
        const S8 pcm =
            narrow16<true>(roundedPcm16(load4(left + i)), roundedPcm16(load4(right + i)));
        std::memcpy(out + 2 * i, &pcm, sizeof pcm);
    }
}

void writePcm8(const int16_t* pcm, size_t count, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(((pcm[i] + 32768) & 0xFFFF) >> 8);
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
    void write(void* out, bool floating);
    void refreshInfo(Mp3Ssc code);

    Mp3InputBuffer input_;
    Mp3DecoderCore core_;
    Mp3FrameInfo info_;
    bool end_ = false;
    // Staging for integer output; frames hold a multiple of four samples.
    alignas(16) float staging_[kMaxChannels * kMaxFrameSamples];
    int16_t pcm16_[kMaxChannels * kMaxFrameSamples];
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

void Mp3Decoder::write(void* out, bool floating) {
    const int channels = core_.outputChannels(input_.header());
    const size_t count = static_cast<size_t>(core_.pcmSamples() * channels);
    if (floating) {
        interleave(core_, channels, static_cast<float*>(out));
        return;
    }
    if (core_.options().quality == 0 && channels == 2) {
        interleavePcm16(core_, static_cast<int16_t*>(out));
        return;
    }
    interleave(core_, channels, staging_);
    if (core_.options().quality != 0) {
        toPcm16(staging_, count, pcm16_);
        writePcm8(pcm16_, count, static_cast<uint8_t*>(out));
    } else {
        toPcm16(staging_, count, static_cast<int16_t*>(out));
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
