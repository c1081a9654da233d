#pragma once

#include <stdexcept>
#include <string>

namespace platform::wma {

// How a file is protected; the reader refuses any file that is.
enum class Protection {
    None,
    // The original content-encryption object: the file needs a licence
    // key bound to it.
    ContentEncryption,
    // The extended content-encryption object: licence acquired per user.
    ExtendedContentEncryption,
    // A later rights-management scheme (advanced content encryption, a
    // protection-system header, or a stream flagged as encrypted).
    OtherRightsManagement,
};

// A failure of the WMA layer. The kind tells callers which result to report;
// what() is a readable detail for logs and the command line.
class Error : public std::runtime_error {
  public:
    enum class Kind {
        OpenFailed,         // the file cannot be opened or read
        NotWma,             // not an ASF file, or damaged beyond use
        NoAudio,            // an ASF file without an audio stream
        Protected,          // rights-managed content, see protection()
        MissingCodec,       // no decoder for the stream, or no module; what() names it
        UnsupportedFormat,  // the encoder cannot produce the asked format
        InvalidArgument,    // a caller error (bad PCM format, call order)
        ReadFailed,         // the file failed while being decoded
        WriteFailed,        // output file or encoder failure
        OutOfMemory,
    };

    Error(Kind kind, const std::string& detail);
    // A protected file, and how it is protected.
    static Error protectedFile(Protection protection, const std::string& detail);
    // A stream the libraries cannot decode; `codec` names it for the user.
    static Error missingCodec(const std::string& codec);
    // The module that holds the codecs is missing or unusable: `path` is
    // where it was looked for, what() why it cannot be used; `codec` names
    // what the user wanted it for.
    static Error missingModule(const std::string& path, const std::string& reason,
                               const std::string& codec = "Windows Media Audio");

    Kind kind() const { return kind_; }
    Protection protection() const { return protection_; }
    // The codec's name for MissingCodec, else empty.
    const std::string& codec() const { return codec_; }
    // The module's path when the module is what is missing, else empty.
    const std::string& modulePath() const { return modulePath_; }

  private:
    Kind kind_;
    Protection protection_ = Protection::None;
    std::string codec_;
    std::string modulePath_;
};

}  // namespace platform::wma
