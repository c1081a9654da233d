#include "platform/wma/AvHandles.h"

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

std::string avErrorText(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

}  // namespace platform::wma
