#pragma once

#include <filesystem>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace platform::wma {

// Owners for the library's objects; each deleter is the library's own free.
struct InputContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// An output context owns its I/O context once opened (closed before freeing).
struct OutputContextDeleter {
    void operator()(AVFormatContext* c) const {
        if (c->pb != nullptr && !(c->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&c->pb);
        }
        avformat_free_context(c);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct AudioFifoDeleter {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using InputContext = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Resampler = std::unique_ptr<SwrContext, ResamplerDeleter>;
using AudioFifo = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

// Allocation helpers that never return null: they throw Error(OutOfMemory).
Frame makeFrame();
Packet makePacket();
CodecContext makeCodecContext(const AVCodec* codec);

// The path as the libraries' URL: "file:" keeps a colon in a name from
// being taken for a protocol.
std::string fileUrl(const std::filesystem::path& path);

// Every way into the library passes here first: its log is lowered to
// errors once, so routine notes (a seek probing for timestamps) stay off
// the terminal.
void limitLibraryLog();

// The library's WMA (version 2) encoder, or null when it has none.
const AVCodec* findWmaEncoder();

// Opens a file with the ASF demuxer and reads its header. Throws Error:
// OpenFailed (cannot be read), NotWma (not ASF or damaged), OutOfMemory.
InputContext openAsfInput(const std::filesystem::path& path);
// Opens a file with whichever demuxer recognises it and reads what its
// streams are. Throws as openAsfInput; NotWma for a file no demuxer takes.
InputContext openMediaInput(const std::filesystem::path& path);

// The library's text for an error number.
std::string avErrorText(int err);

}  // namespace platform::wma
