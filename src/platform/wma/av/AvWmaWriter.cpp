#include "platform/wma/av/AvWmaWriter.h"

#include <algorithm>
#include <vector>

#include "platform/wma/AsfHeader.h"
#include "platform/wma/TemporaryFile.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/av/AvAttributes.h"
#include "platform/wma/av/AvHandles.h"
#include "platform/wma/av/OutputCheck.h"

namespace platform::wma {

namespace {

constexpr size_t kChunkFrames = 8192;
constexpr int kMaxInputChannels = 8;
constexpr uint32_t kMinInputRate = 1000, kMaxInputRate = 384000;
// The decoder needs the frame after the last one to finish it, so one frame
// of silence follows the audio; the file's play length ends the audio there.
constexpr int kTailFrames = 1;

AVSampleFormat packedFormat(const WaveFormat& f) {
    if (f.tag() == kWaveFormatIeeeFloat) {
        return f.bitsPerSample() == 32 ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_NONE;
    }
    if (f.tag() != kWaveFormatPcm) {
        return AV_SAMPLE_FMT_NONE;
    }
    switch (f.bitsPerSample()) {
        case 8:
            return AV_SAMPLE_FMT_U8;
        case 16:
            return AV_SAMPLE_FMT_S16;
        case 24:  // widened to 32 bits before conversion
        case 32:
            return AV_SAMPLE_FMT_S32;
        default:
            return AV_SAMPLE_FMT_NONE;
    }
}

const WaveFormat& validated(const WaveFormat& input, const OutputSettings& output) {
    const bool valid = packedFormat(input) != AV_SAMPLE_FMT_NONE && input.channels() >= 1 &&
                       input.channels() <= kMaxInputChannels &&
                       input.samplesPerSec() >= kMinInputRate &&
                       input.samplesPerSec() <= kMaxInputRate &&
                       input.blockAlign() == input.channels() * input.bitsPerSample() / 8;
    if (!valid) {
        throw Error(Error::Kind::InvalidArgument,
                    "the input is not a PCM format the encoder takes");
    }
    if (const OutputSupport support = checkOutput(output); !support.supported) {
        throw Error(Error::Kind::UnsupportedFormat, support.reason);
    }
    return input;
}

// Mono is the average of the input channels: the library's own mix adds
// the channels at -3 dB each, which makes stereo louder and lets it clip.
int mixToMono(SwrContext* resampler, int inputChannels) {
    const std::vector<double> matrix(static_cast<size_t>(inputChannels), 1.0 / inputChannels);
    return swr_set_matrix(resampler, matrix.data(), inputChannels);
}

int32_t widen24(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24);
}

}  // namespace

// The encoder over the media libraries.
class AvWmaWriter final : public WmaWriter {
  public:
    AvWmaWriter(const std::filesystem::path& target, const WaveFormat& input,
                const OutputSettings& output, const Attributes& attributes);
    ~AvWmaWriter() override;
    AvWmaWriter(const AvWmaWriter&) = delete;
    AvWmaWriter& operator=(const AvWmaWriter&) = delete;

    void write(std::span<const uint8_t> pcm) override;
    void finish() override;
    void abort() override;
    const std::filesystem::path& temporaryPath() const override { return temp_.path(); }

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

AvWmaWriter::AvWmaWriter(const std::filesystem::path& target, const WaveFormat& input,
                         const OutputSettings& output, const Attributes& attributes)
    : input_(validated(input, output)), temp_(target), frame_(makeFrame()), packet_(makePacket()) {
    try {
        openEncoder(output);
        openMuxer(attributes);
        openResampler();
        // The decoder holds back its first frame's worth of output: that
        // much silence ahead keeps the first input sample first.
        addSilence(encoder_->frame_size);
    } catch (...) {
        abort();
        throw;
    }
}

AvWmaWriter::~AvWmaWriter() {
    abort();
}

void AvWmaWriter::openEncoder(const OutputSettings& output) {
    const AVCodec* codec = findWmaEncoder();
    if (codec == nullptr) {
        throw Error(Error::Kind::UnsupportedFormat, "no WMA encoder");
    }
    encoder_ = makeCodecContext(codec);
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = static_cast<int>(output.sampleRate);
    av_channel_layout_default(&encoder_->ch_layout, output.channels);
    encoder_->bit_rate = output.bitrate;
    encoder_->time_base = AVRational{1, encoder_->sample_rate};
    if (const int err = avcodec_open2(encoder_.get(), codec, nullptr); err < 0) {
        fail("cannot open the encoder", err);
    }
    frame_->format = AV_SAMPLE_FMT_FLTP;
    frame_->nb_samples = encoder_->frame_size;
    frame_->sample_rate = encoder_->sample_rate;
    av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout);
    queue_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, output.channels, encoder_->frame_size));
    if (!queue_ || av_frame_get_buffer(frame_.get(), 0) < 0) {
        throw Error(Error::Kind::OutOfMemory, "cannot allocate encoder buffers");
    }
}

void AvWmaWriter::openMuxer(const Attributes& attributes) {
    AVFormatContext* raw = nullptr;
    if (const int err = avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr); err < 0) {
        fail("cannot create the file", err);
    }
    muxer_.reset(raw);
    stream_ = avformat_new_stream(raw, nullptr);
    if (stream_ == nullptr || !addAttributesToLibrary(attributes, &raw->metadata)) {
        throw Error(Error::Kind::OutOfMemory, "cannot set up the file");
    }
    stream_->time_base = encoder_->time_base;
    int err = avcodec_parameters_from_context(stream_->codecpar, encoder_.get());
    if (err >= 0) {
        err = avio_open(&raw->pb, fileUrl(temp_.path()).c_str(), AVIO_FLAG_WRITE);
    }
    if (err >= 0) {
        err = avformat_write_header(raw, nullptr);
    }
    if (err < 0) {
        fail("cannot write " + temp_.path().string(), err);
    }
}

void AvWmaWriter::openResampler() {
    AVChannelLayout in{};
    av_channel_layout_default(&in, input_.channels());
    SwrContext* raw = nullptr;
    int err = swr_alloc_set_opts2(&raw, &encoder_->ch_layout, AV_SAMPLE_FMT_FLTP,
                                  encoder_->sample_rate, &in, packedFormat(input_),
                                  static_cast<int>(input_.samplesPerSec()), 0, nullptr);
    resampler_.reset(raw);
    if (err >= 0 && encoder_->ch_layout.nb_channels == 1) {
        err = mixToMono(raw, input_.channels());
    }
    if (err >= 0) {
        err = swr_init(raw);
    }
    if (err < 0) {
        fail("cannot convert the input", err);
    }
}

void AvWmaWriter::write(std::span<const uint8_t> pcm) {
    requireOpen();
    const size_t align = input_.blockAlign();
    if (!partial_.empty()) {
        const size_t take = std::min(align - partial_.size(), pcm.size());
        partial_.insert(partial_.end(), pcm.begin(), pcm.begin() + take);
        pcm = pcm.subspan(take);
        if (partial_.size() == align) {
            convertPacked(partial_.data(), 1);
            partial_.clear();
        }
    }
    const size_t whole = pcm.size() / align;
    convertPacked(pcm.data(), whole);
    partial_.insert(partial_.end(), pcm.begin() + whole * align, pcm.end());
}

void AvWmaWriter::convertPacked(const uint8_t* data, size_t frames) {
    const size_t align = input_.blockAlign();
    const size_t samples = size_t{input_.channels()};
    for (size_t done = 0; done < frames; done += kChunkFrames) {
        const size_t n = std::min(kChunkFrames, frames - done);
        const uint8_t* chunk = data + done * align;
        if (input_.bitsPerSample() == 24) {
            widened_.resize(n * samples);
            for (size_t i = 0; i < widened_.size(); ++i) {
                widened_[i] = widen24(chunk + 3 * i);
            }
            chunk = reinterpret_cast<const uint8_t*>(widened_.data());
        }
        convert(chunk, static_cast<int>(n));
    }
}

// Resamples into the queue; a null input drains the resampler.
void AvWmaWriter::convert(const uint8_t* packed, int frames) {
    const int capacity = swr_get_out_samples(resampler_.get(), frames);
    const int channels = encoder_->ch_layout.nb_channels;
    converted_.resize(static_cast<size_t>(std::max(capacity, 1)) * channels);
    planes_.resize(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        planes_[c] = reinterpret_cast<uint8_t*>(converted_.data() + size_t(c) * capacity);
    }
    const uint8_t* in[] = {packed};
    const int n = swr_convert(resampler_.get(), planes_.data(), capacity,
                              packed != nullptr ? in : nullptr, frames);
    if (n < 0) {
        fail("cannot convert the input", n);
    }
    if (av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(planes_.data()), n) < n) {
        throw Error(Error::Kind::OutOfMemory, "cannot queue samples");
    }
    audioFrames_ += n;
    encodeQueued();
}

void AvWmaWriter::addSilence(int frames) {
    const int channels = encoder_->ch_layout.nb_channels;
    converted_.assign(static_cast<size_t>(std::max(frames, 1)) * channels, 0.0f);
    planes_.resize(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        planes_[c] = reinterpret_cast<uint8_t*>(converted_.data() + size_t(c) * frames);
    }
    if (av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(planes_.data()), frames) <
        frames) {
        throw Error(Error::Kind::OutOfMemory, "cannot queue samples");
    }
    encodeQueued();
}

void AvWmaWriter::encodeQueued() {
    while (av_audio_fifo_size(queue_.get()) >= encoder_->frame_size) {
        if (av_frame_make_writable(frame_.get()) < 0) {
            throw Error(Error::Kind::OutOfMemory, "cannot allocate a frame");
        }
        av_audio_fifo_read(queue_.get(), reinterpret_cast<void**>(frame_->data),
                           encoder_->frame_size);
        encode(frame_.get());
    }
}

// Every packet holds one codec frame; timestamps count frames so that the
// file's times are exact whatever the encoder reports.
void AvWmaWriter::encode(const AVFrame* frame) {
    int err = avcodec_send_frame(encoder_.get(), frame);
    while (err >= 0) {
        err = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (err < 0) {
            break;
        }
        packet_->pts = packet_->dts = packets_++ * encoder_->frame_size;
        packet_->duration = encoder_->frame_size;
        packet_->stream_index = stream_->index;
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        err = av_interleaved_write_frame(muxer_.get(), packet_.get());
    }
    if (err != AVERROR(EAGAIN) && err != AVERROR_EOF) {
        fail("cannot encode", err);
    }
}

// The muxer takes the play length from the packets, padding included; the
// file states where the audio really ends (after the lead-in frame), so
// readers stop there.
void AvWmaWriter::recordPlayLength() {
    constexpr int64_t kHundredNsPerSecond = 10'000'000;
    const int64_t end = encoder_->frame_size + audioFrames_;
    const auto length = av_rescale(end, kHundredNsPerSecond, encoder_->sample_rate);
    if (!asf::setPlayDuration(temp_.path(), static_cast<uint64_t>(length))) {
        fail("cannot complete " + temp_.path().string(), AVERROR(EIO));
    }
}

void AvWmaWriter::finish() {
    requireOpen();
    try {
        convert(nullptr, 0);
        const int frameSize = encoder_->frame_size;
        const int partial = av_audio_fifo_size(queue_.get()) % frameSize;
        addSilence((partial == 0 ? 0 : frameSize - partial) + kTailFrames * frameSize);
        encode(nullptr);
        if (const int err = av_write_trailer(muxer_.get()); err < 0) {
            fail("cannot complete the file", err);
        }
        closeFile();
        recordPlayLength();
        temp_.commit();
        open_ = false;
    } catch (...) {
        abort();
        throw;
    }
}

void AvWmaWriter::closeFile() {
    const int err = avio_closep(&muxer_->pb);
    if (err < 0) {
        fail("cannot write " + temp_.path().string(), err);
    }
}

void AvWmaWriter::abort() {
    open_ = false;
    muxer_.reset();
    temp_.discard();
}

void AvWmaWriter::fail(const std::string& what, int err) {
    const Error::Kind kind =
        err == AVERROR(ENOMEM) ? Error::Kind::OutOfMemory : Error::Kind::WriteFailed;
    abort();
    throw Error(kind, what + ": " + avErrorText(err));
}

void AvWmaWriter::requireOpen() const {
    if (!open_) {
        throw Error(Error::Kind::InvalidArgument, "the file is already closed");
    }
}

std::unique_ptr<WmaWriter> createAvWriter(const std::filesystem::path& target,
                                          const WaveFormat& input, const OutputSettings& output,
                                          const Attributes& attributes) {
    return std::make_unique<AvWmaWriter>(target, input, output, attributes);
}

}  // namespace platform::wma
