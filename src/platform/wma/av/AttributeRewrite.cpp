#include "platform/wma/av/AttributeRewrite.h"

#include <unistd.h>

#include <optional>

#include "platform/wma/AsfHeader.h"
#include "platform/wma/AsfProtection.h"
#include "platform/wma/TemporaryFile.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/av/AvAttributes.h"
#include "platform/wma/av/AvHandles.h"

namespace platform::wma {

namespace {

void check(int err, const std::string& what) {
    if (err < 0) {
        throw Error(err == AVERROR(ENOMEM) ? Error::Kind::OutOfMemory : Error::Kind::WriteFailed,
                    what + ": " + avErrorText(err));
    }
}

// A remuxer from one input's audio stream to a new ASF file.
class Remux {
  public:
    Remux(AVFormatContext& input, const TemporaryFile& temp, const Attributes& attributes);
    void copyPackets();
    void finish();

  private:
    AVFormatContext& input_;
    AVStream* source_ = nullptr;
    OutputContext output_;
    AVStream* target_ = nullptr;
};

Remux::Remux(AVFormatContext& input, const TemporaryFile& temp, const Attributes& attributes)
    : input_(input) {
    const int index = av_find_best_stream(&input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        throw Error(Error::Kind::NoAudio, "the file holds no audio stream");
    }
    source_ = input.streams[index];
    AVFormatContext* raw = nullptr;
    check(avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr), "cannot create the file");
    output_.reset(raw);
    target_ = avformat_new_stream(raw, nullptr);
    if (target_ == nullptr || !addAttributesToLibrary(attributes, &raw->metadata)) {
        throw Error(Error::Kind::OutOfMemory, "cannot set up the file");
    }
    check(avcodec_parameters_copy(target_->codecpar, source_->codecpar), "cannot copy the stream");
    target_->time_base = source_->time_base;
    check(avio_open(&raw->pb, fileUrl(temp.path()).c_str(), AVIO_FLAG_WRITE),
          "cannot write " + temp.path().string());
    check(avformat_write_header(raw, nullptr), "cannot write " + temp.path().string());
}

void Remux::copyPackets() {
    const Packet packet = makePacket();
    for (;;) {
        const int err = av_read_frame(&input_, packet.get());
        if (err == AVERROR_EOF) {
            return;
        }
        if (err < 0) {
            throw Error(Error::Kind::NotWma, "cannot read the file: " + avErrorText(err));
        }
        if (packet->stream_index != source_->index) {
            av_packet_unref(packet.get());
            continue;
        }
        packet->stream_index = target_->index;
        packet->pos = -1;
        av_packet_rescale_ts(packet.get(), source_->time_base, target_->time_base);
        check(av_interleaved_write_frame(output_.get(), packet.get()), "cannot write the file");
    }
}

void Remux::finish() {
    check(av_write_trailer(output_.get()), "cannot complete the file");
    check(avio_closep(&output_->pb), "cannot complete the file");
}

}  // namespace

void rewriteAttributes(const std::filesystem::path& path, const Attributes& attributes) {
    const std::vector<uint8_t> header = asf::readHeaderObject(path);
    if (const Protection p = scanAsfProtection(header); p != Protection::None) {
        throw Error::protectedFile(p, path.string() + ": rights-managed content");
    }
    if (::access(path.c_str(), W_OK) != 0) {
        throw Error(Error::Kind::OpenFailed, path.string() + ": the file is not writable");
    }
    const InputContext input = openAsfInput(path);
    TemporaryFile temp(path);
    std::filesystem::permissions(temp.path(), std::filesystem::status(path).permissions());
    Remux remux(*input, temp, attributes);
    remux.copyPackets();
    remux.finish();
    // The stated play length marks where the audio ends; it stays exact.
    if (const auto length = asf::playDuration(header);
        length && !asf::setPlayDuration(temp.path(), *length)) {
        throw Error(Error::Kind::WriteFailed, "cannot complete " + temp.path().string());
    }
    temp.commit();
}

}  // namespace platform::wma
