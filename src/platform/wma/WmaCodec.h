#pragma once

#include <filesystem>
#include <memory>

#include "platform/WaveFormat.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/OutputFormats.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaWriter.h"

namespace platform::wma {

// What the WMA module does with the media libraries. The programs never
// link those libraries: they reach this interface through wmaCodec(),
// which loads the module on first use. Failures are thrown as Error.
class WmaCodec {
  public:
    virtual ~WmaCodec() = default;

    // Opens the file and reads its facts and attributes. Throws Error:
    // Protected before anything is decoded, OpenFailed, NotWma, NoAudio,
    // MissingCodec (the detail names the codec).
    virtual std::unique_ptr<WmaDecoder> openDecoder(const std::filesystem::path& path) const = 0;

    // Opens any other file the libraries demux and decode (FLAC, Ogg
    // Vorbis, Opus, MP4/M4A with AAC or ALAC, ...) for the same 16-bit
    // delivery; its attributes are the container's metadata. Throws Error:
    // OpenFailed, NotWma (no demuxer takes it, or damaged), NoAudio,
    // MissingCodec.
    virtual std::unique_ptr<WmaDecoder> openMediaDecoder(
        const std::filesystem::path& path) const = 0;

    // `input`: PCM (tag 1: 8, 16, 24 or 32 bits; tag 3: 32-bit float), any
    // rate and channel count; it is converted to `output`. Throws Error:
    // InvalidArgument (input), UnsupportedFormat (output, with the reason
    // of checkOutput), WriteFailed, OutOfMemory. Nothing is left behind.
    virtual std::unique_ptr<WmaWriter> createWriter(const std::filesystem::path& target,
                                                    const WaveFormat& input,
                                                    const OutputSettings& output,
                                                    const Attributes& attributes) const = 0;

    // Asks the encoder itself whether it accepts the settings; for a refused
    // format the reason names the limit the encoder has (found by asking it).
    virtual OutputSupport checkOutput(const OutputSettings& settings) const = 0;

    // Gives a WMA file exactly the attributes `attributes` (read the present
    // ones with a decoder, change them, pass them all). The file is copied
    // into a temporary file in its folder with the audio packets as they
    // are and then moved over it; on any failure the file stays as it was.
    // Streams other than the audio (cover pictures, video) are not carried
    // over. Throws Error: Protected (never rewritten), OpenFailed, NotWma,
    // NoAudio, WriteFailed, OutOfMemory.
    virtual void rewriteAttributes(const std::filesystem::path& path,
                                   const Attributes& attributes) const = 0;
};

// The module's one entry point (a platform::SharedModule::Entry), looked up
// by this name. It answers only for the interface version it was built
// with (the module and the programs come from one build), else null.
inline constexpr int kWmaCodecVersion = 2;
inline constexpr const char* kWmaCodecEntry = "melodux_wma_codec";

}  // namespace platform::wma
