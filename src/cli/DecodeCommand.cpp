#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "mp3/Mp3Ssc.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "platform/AtomicFile.h"
#include "platform/WaveFileWriter.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli decode [--float] [--quality N] [--resolution N] [--downmix N] IN OUT\n"
    "OUT ending in .wav gets a WAVE file; any other name, or - for standard output,\n"
    "gets raw interleaved samples (float32 LE with --float, else 16-bit LE).\n";
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

// Why a file yields no Layer III audio: a Layer I or II header where its
// frames would be, else no frame at all.
mp3::Mp3Ssc openFailure(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> head(kScanBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    for (size_t i = 0; i + 3 < head.size(); ++i) {
        const uint8_t layerBits = (head[i + 1] >> 1) & 3;
        const uint8_t bitrate = head[i + 2] >> 4;
        const uint8_t rate = (head[i + 2] >> 2) & 3;
        if (head[i] == 0xFF && (head[i + 1] & 0xE0) == 0xE0 && layerBits >= 2 && bitrate != 15 &&
            rate != 3) {
            return mp3::ssc::kWrongLayer;
        }
    }
    return mp3::ssc::kSyncEof;
}

// Everything the reader gives, in one buffer; the output is written only
// once the whole stream decoded.
std::vector<uint8_t> decodeAll(CNxSSMp3Reader& reader) {
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> block(kBlockBytes);
    for (;;) {
        const size_t got = reader.ReadPcm(block.data(), block.size());
        pcm.insert(pcm.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got));
        if (got < block.size()) {
            return pcm;
        }
    }
}

bool endsWithWav(const std::string& name) {
    return name.size() > 4 && (name.ends_with(".wav") || name.ends_with(".WAV"));
}

bool writeOutput(const std::string& out, const platform::WaveFormat& format,
                 const std::vector<uint8_t>& pcm) {
    if (out == "-") {
        return std::fwrite(pcm.data(), 1, pcm.size(), stdout) == pcm.size() &&
               std::fflush(stdout) == 0;
    }
    if (endsWithWav(out)) {
        platform::WaveFileWriter writer(out);
        if (writer.begin(format) != platform::kMmNoError) {
            return false;
        }
        writer.append(pcm);
        writer.finish();
        return true;
    }
    platform::AtomicFile file(out);
    return file.write(pcm) && file.publish();
}

void printDecodeError(const std::string& name, mp3::Mp3Ssc code) {
    std::fprintf(stderr, "melodux-cli: %s: error 0x%08X %s\n", name.c_str(),
                 static_cast<unsigned>(code), mp3::mp3SscText(code));
}

}  // namespace

int runDecode(const Args& args) {
    const auto options =
        CliOptions::parse(args, {"--quality", "--resolution", "--downmix"}, {"--float"});
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
    try {
        auto reader = MakeNx<CNxSSMp3Reader>(
            nullptr, CNxSSMp3Reader::Options{*quality, *resolution, *downmix, floating});
        try {
            reader->Open(in);
        } catch (const CNxSSException& e) {
            if (e.Code() == nxss::kFail) {
                printDecodeError(in, openFailure(in));
            } else {
                printError(e.Code());  // the file itself could not be read
            }
            return 1;
        }
        platform::WaveFormat format;
        reader->GetFormat(format);
        if (!writeOutput(out, format, decodeAll(*reader))) {
            std::fprintf(stderr, "melodux-cli: %s: cannot write\n", out.c_str());
            return 1;
        }
    } catch (const CNxSSException& e) {
        printDecodeError(in, e.Code());
        return 1;
    }
    return 0;
}

}  // namespace cli
