#include "platform/wma/av/AvAudioDecoder.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/wma/AsfHeader.h"
#include "platform/wma/AsfProtection.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/av/AvAttributes.h"
#include "platform/wma/av/AvHandles.h"

namespace platform::wma {

namespace {

constexpr int kMaxOutputChannels = 2;
// Frames decoded ahead of a seek target: the first frame after a jump lacks
// the overlap of its predecessor and must not be heard.
constexpr int64_t kSeekLeadFrames = 2;
constexpr int64_t kDefaultCodecFrame = 2048;
// Padding after the audio is less than two codec frames (a partial frame
// and the closing one); more than three frames past the stated end are audio.
constexpr uint64_t kOverrunFrames = 3;
// Audio that ends more than this share of the stated length early (1/8)
// was not all decodable; encoders differ by a few frames, not by that.
constexpr uint64_t kShortfallShare = 8;

std::string codecName(const AVCodecParameters& par) {
    if (const AVCodecDescriptor* d = avcodec_descriptor_get(par.codec_id)) {
        return std::string(d->long_name != nullptr ? d->long_name : d->name) + " (" + d->name + ")";
    }
    char tag[32];
    std::snprintf(tag, sizeof tag, "format tag 0x%04X", par.codec_tag);
    return tag;
}

// Samples per codec frame of WMA versions 1 and 2, fixed by the format for
// each sample rate; 0 for other codecs.
int64_t wmaFrameLength(AVCodecID id, int rate) {
    if (id != AV_CODEC_ID_WMAV1 && id != AV_CODEC_ID_WMAV2) {
        return 0;
    }
    if (rate <= 16000) {
        return 512;
    }
    if (rate <= 22050 || (rate <= 32000 && id == AV_CODEC_ID_WMAV1)) {
        return 1024;
    }
    return 2048;
}

AVChannelLayout layoutOf(const AVChannelLayout& layout) {
    AVChannelLayout result{};
    if (layout.order == AV_CHANNEL_ORDER_NATIVE) {
        av_channel_layout_copy(&result, &layout);
    } else {
        av_channel_layout_default(&result, layout.nb_channels);
    }
    return result;
}

}  // namespace

// What an ASF header says of the audio beside the packets.
struct AsfFacts {
    bool wholeFile = false;                // the file is as long as its header says
    std::optional<uint64_t> playDuration;  // 100 ns units
};

// The decoder over the media libraries: of a WMA file with the facts of its
// ASF header, or of any other file with what its container says.
class AvAudioDecoder final : public WmaDecoder {
  public:
    AvAudioDecoder(InputContext input, const std::optional<AsfFacts>& asf);
    AvAudioDecoder(const AvAudioDecoder&) = delete;
    AvAudioDecoder& operator=(const AvAudioDecoder&) = delete;

    const StreamInfo& info() const override { return info_; }
    const Attributes& attributes() const override { return attributes_; }

    std::span<const uint8_t> next() override;
    void seek(uint64_t frame) override;
    uint64_t position() const override { return position_; }

  private:
    void openDecoder();
    void openConverter();
    void readFacts(bool asf);
    void findTimeline(std::optional<uint64_t> playLength);
    int64_t containerFrames() const;
    bool decodeFrame();
    bool feedPacket();
    bool usableFrame() const;
    int64_t frameStart() const;
    std::span<const uint8_t> deliver(int64_t skipFrames);
    std::span<const uint8_t> clipAtEnd(std::span<const uint8_t> block);
    void checkComplete() const;
    size_t outputAlign() const { return size_t{2} * info_.channels; }

    InputContext input_;
    AVStream* stream_ = nullptr;
    CodecContext codec_;
    Resampler converter_;
    Frame frame_;
    Packet packet_;
    bool pending_ = false;     // frame_ holds a decoded frame not yet delivered
    bool decodedAny_ = false;  // some frame of the file has been decoded
    bool wholeFile_ = false;   // the file is as long as its header says
    uint64_t stated_ = 0;      // frames the header says the audio has
    bool draining_ = false;    // the input is exhausted, the decoder is flushing
    int64_t firstPts_ = 0;     // timestamp of the first delivered sample
    int64_t frameLength_ = 0;  // samples per codec frame, 0 when not known
    uint64_t position_ = 0;
    std::optional<uint64_t> seekTarget_;  // frames before it are dropped
    std::optional<uint64_t> end_;         // where the file says the audio ends
    uint64_t overrunLimit_ = 0;           // more audio than that beyond end_: end_ is wrong
    std::vector<uint8_t> pcm_;
    std::vector<uint8_t> overrun_;  // decoded audio beyond end_, held back
    StreamInfo info_;
    Attributes attributes_;
};

AvAudioDecoder::AvAudioDecoder(InputContext input, const std::optional<AsfFacts>& asf)
    : input_(std::move(input)), frame_(makeFrame()), packet_(makePacket()) {
    wholeFile_ = asf && asf->wholeFile;
    openDecoder();
    openConverter();
    readFacts(asf.has_value());
    findTimeline(asf ? asf->playDuration : std::nullopt);
}

void AvAudioDecoder::openDecoder() {
    const int index = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        throw Error(Error::Kind::NoAudio, "the file holds no audio stream");
    }
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
        input_->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    stream_ = input_->streams[index];
    const AVCodecParameters& par = *stream_->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par.codec_id);
    if (codec == nullptr) {
        throw Error::missingCodec(codecName(par));
    }
    codec_ = makeCodecContext(codec);
    int err = avcodec_parameters_to_context(codec_.get(), &par);
    codec_->pkt_timebase = stream_->time_base;
    if (err >= 0) {
        err = avcodec_open2(codec_.get(), codec, nullptr);
    }
    if (err < 0 || codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) {
        throw Error(Error::Kind::NotWma, "cannot decode the audio stream: " + avErrorText(err));
    }
}

void AvAudioDecoder::openConverter() {
    AVChannelLayout in = layoutOf(codec_->ch_layout);
    AVChannelLayout out{};
    av_channel_layout_default(&out, std::min(codec_->ch_layout.nb_channels, kMaxOutputChannels));
    SwrContext* raw = nullptr;
    int err = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, codec_->sample_rate, &in,
                                  codec_->sample_fmt, codec_->sample_rate, 0, nullptr);
    converter_.reset(raw);
    av_channel_layout_uninit(&in);
    if (err >= 0) {
        err = swr_init(converter_.get());
    }
    if (err < 0) {
        throw Error(Error::Kind::NotWma, "cannot convert the decoded samples: " + avErrorText(err));
    }
    info_.channels = static_cast<uint16_t>(out.nb_channels);
}

void AvAudioDecoder::readFacts(bool asf) {
    const AVCodecParameters& par = *stream_->codecpar;
    info_.sampleRate = static_cast<uint32_t>(codec_->sample_rate);
    info_.fileChannels = static_cast<uint16_t>(codec_->ch_layout.nb_channels);
    const int64_t bitrate = par.bit_rate > 0 ? par.bit_rate : input_->bit_rate;
    info_.bitrate = static_cast<uint32_t>(std::clamp<int64_t>(bitrate, 0, UINT32_MAX));
    info_.codecName = codecName(par);
    frameLength_ = asf ? wmaFrameLength(codec_->codec_id, codec_->sample_rate) : 0;
    attributes_ = attributesFromLibrary(input_->metadata);
}

// The file's timeline: its play length runs from the first packet, and the
// decoders of WMA versions 1 and 2 give nothing for the first codec frame,
// so the delivered audio ends one frame before the stated end. Decoded
// frames are stamped later than the packets they come from, so positions
// count from the first decoded frame's stamp.
void AvAudioDecoder::findTimeline(std::optional<uint64_t> playLength) {
    pending_ = decodeFrame();
    if (pending_ && frame_->best_effort_timestamp != AV_NOPTS_VALUE) {
        firstPts_ = frame_->best_effort_timestamp;
    }
    const AVRational sampleBase{1, static_cast<int>(info_.sampleRate)};
    int64_t frames = 0;
    if (playLength) {
        constexpr AVRational kHundredNs{1, 10'000'000};
        frames = av_rescale_q(static_cast<int64_t>(*playLength), kHundredNs, sampleBase);
    } else if ((frames = containerFrames()) <= 0) {
        return;
    }
    if (frameLength_ > 0) {
        frames = std::max<int64_t>(0, frames - frameLength_);
        end_ = static_cast<uint64_t>(frames);
        overrunLimit_ = kOverrunFrames * static_cast<uint64_t>(frameLength_);
    } else if (std::string_view(input_->iformat->name).starts_with("mov") &&
               codec_->frame_size > 0) {
        // MP4 keeps the exact length (its edit list's) while the library drops
        // only the encoder's priming: the padding after it is not played.
        end_ = static_cast<uint64_t>(frames);
        overrunLimit_ = kOverrunFrames * static_cast<uint64_t>(codec_->frame_size);
    }
    stated_ = static_cast<uint64_t>(frames);
    const int64_t ms = av_rescale(frames, 1000, info_.sampleRate);
    info_.durationMs = static_cast<uint32_t>(std::min<int64_t>(ms, UINT32_MAX));
}

// The stream's own length where the container keeps one (it is exact for
// FLAC and MP4), else the container's estimate; 0 when neither is known.
int64_t AvAudioDecoder::containerFrames() const {
    const AVRational sampleBase{1, static_cast<int>(info_.sampleRate)};
    if (stream_->duration != AV_NOPTS_VALUE && stream_->duration > 0) {
        return av_rescale_q(stream_->duration, stream_->time_base, sampleBase);
    }
    if (input_->duration != AV_NOPTS_VALUE && input_->duration > 0) {
        return av_rescale_q(input_->duration, AV_TIME_BASE_Q, sampleBase);
    }
    return 0;
}

std::span<const uint8_t> AvAudioDecoder::next() {
    while (pending_ || decodeFrame()) {
        pending_ = false;
        int64_t skip = 0;
        if (seekTarget_) {
            const int64_t start = frameStart();
            const auto target = static_cast<int64_t>(*seekTarget_);
            if (start + frame_->nb_samples <= target) {
                continue;
            }
            skip = std::max<int64_t>(0, target - start);
            position_ = static_cast<uint64_t>(std::max(start, target));
            seekTarget_.reset();
        }
        if (const auto block = clipAtEnd(deliver(skip)); !block.empty()) {
            return block;
        }
    }
    overrun_.clear();
    checkComplete();
    return {};
}

// A file cut short (partly copied) plays what is there. A stream that gives
// nothing, or that ends well before the stated end although the whole file
// is there, is damaged: that is a read failure, not quietly shorter audio.
void AvAudioDecoder::checkComplete() const {
    const uint64_t codecFrame =
        static_cast<uint64_t>(frameLength_ > 0 ? frameLength_ : kDefaultCodecFrame);
    const uint64_t slack = std::max(stated_ / kShortfallShare, kOverrunFrames * codecFrame);
    if ((decodedAny_ && !wholeFile_) || position_ + slack >= stated_) {
        return;
    }
    throw Error(Error::Kind::ReadFailed, "the audio cannot be decoded beyond " +
                                             std::to_string(position_ * 1000 / info_.sampleRate) +
                                             " ms of the " + std::to_string(info_.durationMs) +
                                             " ms the header states");
}

// Audio past the stated end is held back: at the end of the stream it is
// padding and dropped; if more follows than padding can be, the stated end
// is wrong and everything is delivered.
std::span<const uint8_t> AvAudioDecoder::clipAtEnd(std::span<const uint8_t> block) {
    const size_t align = outputAlign();
    const uint64_t frames = block.size() / align;
    if (!end_ || (overrun_.empty() && position_ + frames <= *end_)) {
        position_ += frames;
        return block;
    }
    const uint64_t keep = position_ < *end_ ? std::min(frames, *end_ - position_) : 0;
    overrun_.insert(overrun_.end(), block.begin() + static_cast<ptrdiff_t>(keep * align),
                    block.end());
    if (keep == 0 && overrun_.size() / align > overrunLimit_) {
        end_.reset();
        pcm_.swap(overrun_);
        overrun_.clear();
        position_ += pcm_.size() / align;
        return pcm_;
    }
    position_ += keep;
    return block.first(keep * align);
}

void AvAudioDecoder::seek(uint64_t frame) {
    const int64_t lead = kSeekLeadFrames * (frameLength_ > 0 ? frameLength_ : kDefaultCodecFrame);
    const int64_t from = std::max<int64_t>(0, static_cast<int64_t>(frame) - lead);
    const AVRational sampleBase{1, static_cast<int>(info_.sampleRate)};
    const int64_t ts = firstPts_ + av_rescale_q(from, sampleBase, stream_->time_base);
    if (from == 0 || av_seek_frame(input_.get(), stream_->index, ts, AVSEEK_FLAG_BACKWARD) < 0) {
        avformat_seek_file(input_.get(), stream_->index, INT64_MIN, INT64_MIN, INT64_MIN, 0);
    }
    avcodec_flush_buffers(codec_.get());
    av_frame_unref(frame_.get());
    pending_ = false;
    draining_ = false;
    overrun_.clear();
    seekTarget_ = frame;
    position_ = frame;
}

// Receives the next usable frame into frame_; false at the end of stream.
bool AvAudioDecoder::decodeFrame() {
    for (;;) {
        const int err = avcodec_receive_frame(codec_.get(), frame_.get());
        if (err == 0 && usableFrame()) {
            decodedAny_ = true;
            return true;
        }
        av_frame_unref(frame_.get());
        if (err == AVERROR_EOF || (err < 0 && !feedPacket())) {
            return false;
        }
    }
}

// Sends the next packet of the stream, or the end of input, to the decoder;
// false when both have been sent already. Damaged packets are dropped.
bool AvAudioDecoder::feedPacket() {
    while (!draining_) {
        const int err = av_read_frame(input_.get(), packet_.get());
        if (err == AVERROR_EOF || err == AVERROR_INVALIDDATA) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            return true;
        }
        if (err < 0) {
            throw Error(Error::Kind::ReadFailed, "cannot read the file: " + avErrorText(err));
        }
        const bool ours = packet_->stream_index == stream_->index;
        if (ours) {
            avcodec_send_packet(codec_.get(), packet_.get());
        }
        av_packet_unref(packet_.get());
        if (ours) {
            return true;
        }
    }
    return false;
}

// A frame whose layout differs from the stream's (a damaged stream) is not
// delivered, so the output format never changes.
bool AvAudioDecoder::usableFrame() const {
    return frame_->nb_samples > 0 && frame_->format == codec_->sample_fmt &&
           frame_->sample_rate == static_cast<int>(info_.sampleRate) &&
           frame_->ch_layout.nb_channels == info_.fileChannels;
}

// The frame's place in the output, from its timestamp. Timestamps are coarse
// (milliseconds), so a start within one tick of a codec frame boundary is
// taken to be that boundary.
int64_t AvAudioDecoder::frameStart() const {
    const int64_t pts = frame_->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        return static_cast<int64_t>(position_);
    }
    const AVRational sampleBase{1, static_cast<int>(info_.sampleRate)};
    const int64_t start = av_rescale_q(pts - firstPts_, stream_->time_base, sampleBase);
    if (frameLength_ <= 0) {
        return start;
    }
    const int64_t snapped = (start + frameLength_ / 2) / frameLength_ * frameLength_;
    const int64_t tick = av_rescale_q(1, stream_->time_base, sampleBase) + 1;
    return std::abs(snapped - start) <= tick ? snapped : start;
}

std::span<const uint8_t> AvAudioDecoder::deliver(int64_t skipFrames) {
    const auto format = static_cast<AVSampleFormat>(frame_->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int channels = frame_->ch_layout.nb_channels;
    const int64_t step = av_get_bytes_per_sample(format) * (planar ? 1 : channels);
    std::vector<const uint8_t*> in(planar ? channels : 1);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = frame_->extended_data[i] + skipFrames * step;
    }
    const int count = frame_->nb_samples - static_cast<int>(skipFrames);
    const size_t blockAlign = outputAlign();
    pcm_.resize(static_cast<size_t>(count) * blockAlign);
    uint8_t* out = pcm_.data();
    const int done = swr_convert(converter_.get(), &out, count, in.data(), count);
    av_frame_unref(frame_.get());
    if (done < 0) {
        throw Error(Error::Kind::ReadFailed, "cannot convert samples: " + avErrorText(done));
    }
    pcm_.resize(static_cast<size_t>(done) * blockAlign);
    return pcm_;
}

std::unique_ptr<WmaDecoder> openAvDecoder(const std::filesystem::path& path) {
    const std::vector<uint8_t> header = asf::readHeaderObject(path);
    if (const Protection p = scanAsfProtection(header); p != Protection::None) {
        throw Error::protectedFile(p, path.string() + ": rights-managed content");
    }
    const auto statedSize = asf::statedFileSize(header);
    std::error_code ec;
    const bool whole = statedSize && std::filesystem::file_size(path, ec) >= *statedSize && !ec;
    return std::make_unique<AvAudioDecoder>(openAsfInput(path),
                                            AsfFacts{whole, asf::playDuration(header)});
}

std::unique_ptr<WmaDecoder> openAvMediaDecoder(const std::filesystem::path& path) {
    return std::make_unique<AvAudioDecoder>(openMediaInput(path), std::nullopt);
}

}  // namespace platform::wma
