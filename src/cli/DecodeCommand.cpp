#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "mp3/Mp3FrameSearch.h"
#include "mp3/Mp3Ssc.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "platform/AtomicFile.h"
#include "platform/UniqueFd.h"
#include "platform/WaveFileWriter.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli decode [--float] [--gapless] [--quality N] [--resolution N] [--downmix N]\n"
    "                          IN OUT\n"
    "OUT ending in .wav gets a WAVE file; any other name, or - for standard output,\n"
    "gets raw interleaved samples (float32 LE with --float, else 16-bit LE).\n"
    "Every decoded frame is written; --gapless cuts off the encoder's delay and\n"
    "padding that the file's LAME tag or VBRI header tells of.\n";
constexpr size_t kBlockBytes = 65536;
constexpr size_t kScanBytes = 65536;

std::optional<int> smallNumber(const CliOptions& options, const std::string& name) {
    const auto text = options.value(name);
    if (!text) {
        return 0;
    }
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || value < 0 || value > 2) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

bool endsWithWav(const std::string& name) {
    return name.size() > 4 && (name.ends_with(".wav") || name.ends_with(".WAV"));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when writing `out` would overwrite `in`, under any name (links
// included); standard output counts when it is redirected to the input.
bool outputIsInput(const std::string& in, const std::string& out) {
    struct stat input {};
    struct stat output {};
    if (::stat(in.c_str(), &input) != 0) {
        return false;
    }
    const int found = out == "-" ? ::fstat(STDOUT_FILENO, &output) : ::stat(out.c_str(), &output);
    return found == 0 && sameFile(input, output);
}

// An existing output that is no regular file (a device, a pipe) is written
// where it is; renaming a new file over it would replace the node.
bool writtenInPlace(const std::string& out) {
    struct stat st {};
    return out == "-" || (::stat(out.c_str(), &st) == 0 && !S_ISREG(st.st_mode));
}

// Where decoded samples go, block by block as they come: standard output or
// a device in place, or a new file (raw or WAVE) that takes the target's
// name only once it is complete, so a failure leaves no partial target.
class DecodeOutput {
  public:
    bool begin(const std::string& path, const platform::WaveFormat& format) {
        if (writtenInPlace(path)) {
            const int fd = path == "-" ? ::dup(STDOUT_FILENO)
                                       : ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            device_.reset(fd);
            return device_.valid() || fail(std::strerror(errno));
        }
        if (endsWithWav(path)) {
            wave_ = std::make_unique<platform::WaveFileWriter>(path);
            return wave_->begin(format) == platform::kMmNoError || fail("cannot create the file");
        }
        raw_ = std::make_unique<platform::AtomicFile>(path);
        return raw_->ok() || fail(raw_->error());
    }
    bool write(std::span<const uint8_t> bytes) {
        if (wave_) {
            return wave_->append(bytes) || fail("cannot write");
        }
        if (raw_) {
            return raw_->write(bytes) || fail(raw_->error());
        }
        return writeDevice(bytes);
    }
    bool finish() {
        if (wave_) {
            return wave_->finish() || fail("cannot complete the file");
        }
        if (raw_) {
            return raw_->publish() || fail(raw_->error());
        }
        return true;  // a device's writes failed or not as they went
    }
    const std::string& error() const { return error_; }

  private:
    bool writeDevice(std::span<const uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(device_.get(), bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return fail(n < 0 ? std::strerror(errno) : "nothing written");
            }
            bytes = bytes.subspan(static_cast<size_t>(n));
        }
        return true;
    }
    bool fail(const std::string& why) {
        error_ = why;
        return false;
    }

    platform::UniqueFd device_;
    std::unique_ptr<platform::AtomicFile> raw_;
    std::unique_ptr<platform::WaveFileWriter> wave_;
    std::string error_;
};

// Why a file yields no Layer III audio, as the frame sync sees its start.
mp3::Mp3Ssc openFailure(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> head(kScanBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    const mp3::Mp3Ssc why = mp3::mp3StreamFailure(head.data(), head.size());
    return why == mp3::ssc::kOk ? mp3::ssc::kDecoderGeneric : why;
}

// Decodes into the output a block at a time, so memory stays the same for
// any length of input.
bool decodeInto(CNxSSMp3Reader& reader, DecodeOutput& output) {
    std::vector<uint8_t> block(kBlockBytes);
    for (;;) {
        const size_t got = reader.ReadPcm(block.data(), block.size());
        if (got > 0 && !output.write(std::span(block.data(), got))) {
            return false;
        }
        if (got < block.size()) {
            return output.finish();
        }
    }
}

void printDecodeError(const std::string& name, mp3::Mp3Ssc code) {
    std::fprintf(stderr, "melodux-cli: %s: error 0x%08X %s\n", name.c_str(),
                 static_cast<unsigned>(code), mp3::mp3SscText(code));
}

// Opens the input; false (reported) when it holds no playable stream.
bool openInput(CNxSSMp3Reader& reader, const std::string& in) {
    try {
        reader.Open(in);
        return true;
    } catch (const CNxSSException& e) {
        if (e.Code() == nxss::kFail) {
            printDecodeError(in, openFailure(in));
        } else {
            printError(e.Code());  // the file itself could not be read
        }
        return false;
    }
}

int decode(const std::string& in, const std::string& out, const CNxSSMp3Reader::Options& options) {
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr, options);
    if (!openInput(*reader, in)) {
        return 1;
    }
    platform::WaveFormat format;
    reader->GetFormat(format);
    DecodeOutput output;
    if (!output.begin(out, format) || !decodeInto(*reader, output)) {
        std::fprintf(stderr, "melodux-cli: %s: cannot write: %s\n", out.c_str(),
                     output.error().c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int runDecode(const Args& args) {
    const auto options = CliOptions::parse(args, {"--quality", "--resolution", "--downmix"},
                                           {"--float", "--gapless"});
    const auto quality = options ? smallNumber(*options, "--quality") : std::nullopt;
    const auto resolution = options ? smallNumber(*options, "--resolution") : std::nullopt;
    const auto downmix = options ? smallNumber(*options, "--downmix") : std::nullopt;
    if (!quality || !resolution || !downmix || options->positional().size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = options->positional()[0];
    const std::string& out = options->positional()[1];
    const bool floating = options->flag("--float");
    if (floating && endsWithWav(out)) {
        std::fputs("melodux-cli: --float writes raw samples, not a WAVE file\n", stderr);
        return 2;
    }
    if (outputIsInput(in, out)) {
        std::fprintf(stderr, "melodux-cli: %s: the output is the input file\n", out.c_str());
        return 2;
    }
    try {
        return decode(in, out,
                      {*quality, *resolution, *downmix, floating, !options->flag("--gapless")});
    } catch (const CNxSSException& e) {
        printDecodeError(in, e.Code());
        return 1;
    }
}

}  // namespace cli
