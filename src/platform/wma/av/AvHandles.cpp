#include "platform/wma/av/AvHandles.h"

#include "platform/wma/WmaError.h"

namespace platform::wma {

Frame makeFrame() {
    Frame f(av_frame_alloc());
    if (!f) {
        throw Error(Error::Kind::OutOfMemory, "cannot allocate an audio frame");
    }
    return f;
}

Packet makePacket() {
    Packet p(av_packet_alloc());
    if (!p) {
        throw Error(Error::Kind::OutOfMemory, "cannot allocate a packet");
    }
    return p;
}

CodecContext makeCodecContext(const AVCodec* codec) {
    CodecContext c(avcodec_alloc_context3(codec));
    if (!c) {
        throw Error(Error::Kind::OutOfMemory, "cannot allocate a codec context");
    }
    return c;
}

std::string fileUrl(const std::filesystem::path& path) {
    return "file:" + path.string();
}

void limitLibraryLog() {
    static const bool limited = [] {
        av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)limited;
}

const AVCodec* findWmaEncoder() {
    limitLibraryLog();
    return avcodec_find_encoder(AV_CODEC_ID_WMAV2);
}

namespace {

[[noreturn]] void throwOpenFailure(const std::filesystem::path& path, int err) {
    const std::string detail = path.string() + ": " + avErrorText(err);
    if (err == AVERROR(ENOMEM)) {
        throw Error(Error::Kind::OutOfMemory, detail);
    }
    const bool damaged = err == AVERROR_INVALIDDATA || err == AVERROR_EOF ||
                         err == AVERROR_PATCHWELCOME || err == AVERROR(EIO);
    throw Error(damaged ? Error::Kind::NotWma : Error::Kind::OpenFailed, detail);
}

InputContext openInput(const std::filesystem::path& path, const AVInputFormat* format) {
    limitLibraryLog();
    AVFormatContext* raw = nullptr;
    const int err = avformat_open_input(&raw, fileUrl(path).c_str(), format, nullptr);
    if (err < 0) {
        throwOpenFailure(path, err);
    }
    return InputContext(raw);
}

}  // namespace

InputContext openAsfInput(const std::filesystem::path& path) {
    return openInput(path, av_find_input_format("asf"));
}

InputContext openMediaInput(const std::filesystem::path& path) {
    InputContext input = openInput(path, nullptr);
    // Containers without a header (ADTS, raw FLAC frames) learn their
    // codec's parameters only from the first packets.
    if (const int err = avformat_find_stream_info(input.get(), nullptr); err < 0) {
        throwOpenFailure(path, err);
    }
    return input;
}

std::string avErrorText(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

}  // namespace platform::wma
