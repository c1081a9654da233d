#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/EngineCatalog.h"
#include "cli/JobProgress.h"
#include "cli/Mp3ConvertOptions.h"
#include "cli/WaveFormatOption.h"
#include "mp3/writer/CNxSSMp3OptionPage.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSOptionPage.h"
#include "stream/CNxSSWriter.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli convert IN OUT [--bitrate KBPS|BPS] [--rate HZ] [--channels 1|2]\n"
    "           [--quality 0|1|2] [--vbr 20|40|60|80|100] [--copyright] [--original]\n"
    "           [--wave-format FORMAT]\n"
    "The output's extension chooses the writer (.mp3, .wma, .wav); options pick one of\n"
    "the formats its option page offers, other values come from the saved settings.\n"
    "MP3: --quality is the speed (fast, standard, high), --vbr a variable bitrate;\n"
    "the choice is saved as the option page saves it (--original is for this file).\n"
    "WAVE: --wave-format sets the format and saves it: pcm:RATE:BITS:CHANNELS,\n"
    "ima-adpcm|ms-adpcm|alaw|mulaw:RATE:CHANNELS or mp3:RATE:CHANNELS:KBPS\n"
    "(melodux-cli formats lists them).\n";

constexpr uint32_t kNotifyMessage = 0x401;
constexpr int kPollMs = 100;
constexpr int kInterruptedExit = 130;
constexpr uint32_t kLowestBitrate = 1000;  // smaller numbers are kilobits
constexpr unsigned long kLargestValue = 10'000'000;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

struct ConvertOptions {
    std::string in, out;
    CNxSSFormatChoice::Request format;
    bool formatGiven = false;
    Mp3ConvertOptions mp3;
    std::optional<std::string> waveFormat;
};

std::optional<uint32_t> number(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || value == 0 || value > kLargestValue) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

// Reads the format options into the request; false for a bad value.
bool readFormat(const CliOptions& o, ConvertOptions& c) {
    const auto bitrate = o.value("--bitrate"), rate = o.value("--rate"),
               channels = o.value("--channels");
    c.formatGiven = bitrate || rate || channels;
    if (bitrate) {
        const auto v = number(*bitrate);
        if (!v)
            return false;
        c.format.bitrate = *v < kLowestBitrate ? *v * 1000 : *v;
    }
    if (rate && !(c.format.sampleRate = number(*rate))) {
        return false;
    }
    if (channels) {
        const auto v = number(*channels);
        if (!v || *v > 2)
            return false;
        c.format.channels = static_cast<uint16_t>(*v);
    }
    return true;
}

std::optional<ConvertOptions> parseOptions(const Args& args) {
    std::vector<std::string> valueOptions{"--bitrate", "--rate", "--channels", "--wave-format"};
    valueOptions.insert(valueOptions.end(), Mp3ConvertOptions::valueOptions().begin(),
                        Mp3ConvertOptions::valueOptions().end());
    const auto o = CliOptions::parse(args, valueOptions, Mp3ConvertOptions::flags());
    ConvertOptions c;
    if (!o || o->positional().size() != 2 || !readFormat(*o, c)) {
        return std::nullopt;
    }
    const auto mp3 = Mp3ConvertOptions::read(*o);
    if (!mp3) {
        return std::nullopt;
    }
    c.mp3 = *mp3;
    c.waveFormat = o->value("--wave-format");
    c.in = o->positional()[0];
    c.out = o->positional()[1];
    return c;
}

void printFailure(uint32_t code, const std::string& reason) {
    printError(code);
    if (!reason.empty()) {
        std::fprintf(stderr, "melodux-cli: %s\n", reason.c_str());
    }
}

// Chooses the requested format on the writer's option page.
int chooseFormat(CNxSSFormatChoice& choice, const CNxSSFormatChoice::Request& request) {
    const int entry = choice.FindEntry(request);
    if (entry < 0) {
        std::fputs("melodux-cli: no such format; the formats offered are:\n", stderr);
        for (const std::string& text : choice.EntryTexts()) {
            std::fprintf(stderr, "  %s\n", text.c_str());
        }
        return 2;
    }
    choice.Select(entry);
    if (const uint32_t rc = choice.Apply()) {
        printFailure(rc, choice.ErrorText());
        return 1;
    }
    return 0;
}

// Applies the options through the writer's option page and checks that the
// writer can produce its settings, before anything is written.
int prepareWriter(CNxSSManager& manager, const ConvertOptions& options) {
    void* out = nullptr;
    if (manager.GetInterface(CNxSSWriter::kOptionPageInterface, &out) != 0) {
        if (options.waveFormat) {
            std::fputs("melodux-cli: --wave-format needs a .wav output\n", stderr);
            return 2;
        }
        return 0;  // a writer without settings
    }
    const auto page = NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(out));
    if (options.waveFormat) {
        if (const int rc = applyWaveFormat(*page, *options.waveFormat)) {
            return rc;
        }
    }
    auto* choice = dynamic_cast<CNxSSFormatChoice*>(page.get());
    if (auto* mp3 = dynamic_cast<CNxSSMp3OptionPage*>(page.get())) {
        if (const int rc =
                applyMp3Options(*mp3, options.format, options.formatGiven, options.mp3)) {
            return rc;
        }
    } else if (options.mp3.given()) {
        std::fputs("melodux-cli: --quality, --vbr, --copyright and --original are for MP3\n",
                   stderr);
        return 2;
    } else if (choice == nullptr) {
        if (options.formatGiven) {
            std::fputs("melodux-cli: this output takes no format options\n", stderr);
            return 2;
        }
        return 0;
    } else if (options.formatGiven) {
        if (const int rc = chooseFormat(*choice, options.format)) {
            return rc;
        }
    }
    if (const uint32_t rc = choice->CheckSettings()) {
        printFailure(rc, choice->ErrorText());
        return 1;
    }
    std::printf("format: %s\n", page->Settings().Describe().c_str());
    return 0;
}

enum class Outcome { Finished, Failed, Interrupted };

// Follows the writer until it reports the end; Ctrl+C abandons the output.
Outcome follow(CNxSSManager& manager, platform::MessageQueue& window) {
    JobProgress progress;
    for (;;) {
        if (interrupted) {
            manager.Stop();
            progress.end();
            return Outcome::Interrupted;
        }
        const auto message = window.take(kPollMs);
        if (!message) {
            progress.show(manager.GetPosition(), manager.GetLength());
            continue;
        }
        const auto code = static_cast<uint32_t>(message->wParam);
        if (code == nxss::kStarted) {
            std::printf("Started\n");
        } else if (code == nxss::kFinished) {
            progress.show(manager.GetLength(), manager.GetLength());
            progress.end();
            std::printf("Finished\n");
            return Outcome::Finished;
        } else if (nxss::failed(code)) {
            progress.end();
            printError(code);
            return Outcome::Failed;
        }
        std::fflush(stdout);
    }
}

}  // namespace

int runConvert(const Args& args) {
    const auto options = parseOptions(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    platform::MessageQueue window;  // outlives the writer's thread
    auto manager = MakeNx<CNxSSManager>(engineCatalog());
    if (const uint32_t rc = manager->CreateChainFor(options->in, options->out)) {
        printError(rc);
        return 1;
    }
    if (manager->Sink() == nullptr) {
        std::fprintf(stderr, "melodux-cli: cannot write files of the type of %s\n",
                     options->out.c_str());
        return 2;
    }
    if (const int rc = prepareWriter(*manager, *options)) {
        return rc;
    }
    manager->Advise(&window, kNotifyMessage, 0);
    std::signal(SIGINT, onInterrupt);
    manager->Start();
    switch (follow(*manager, window)) {
        case Outcome::Finished:
            return 0;
        case Outcome::Interrupted:
            return kInterruptedExit;
        case Outcome::Failed:
            break;
    }
    return 1;
}

}  // namespace cli
