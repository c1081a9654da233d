#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/ConversionJob.h"
#include "app/Engine.h"
#include "app/WriterPage.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/JobProgress.h"
#include "cli/Mp3ConvertOptions.h"
#include "cli/StopSignals.h"
#include "cli/WaveFormatOption.h"
#include "mp3/writer/CNxSSMp3OptionPage.h"
#include "stream/CNxSSFormatChoice.h"
#include "stream/CNxSSOptionPage.h"

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

constexpr uint32_t kLowestBitrate = 1000;  // smaller numbers are kilobits
constexpr unsigned long kLargestValue = 10'000'000;

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
    // An empty name would make no file: an empty output is the sound device.
    if (!o || o->positional().size() != 2 || o->positional()[0].empty() ||
        o->positional()[1].empty() || !readFormat(*o, c)) {
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

// Applies the options through the writer's option page (null for a writer
// without settings) and checks that the writer can produce its settings,
// before anything is written.
int prepareWriter(CNxSSOptionPage* page, const ConvertOptions& options) {
    if (page == nullptr) {
        if (options.waveFormat) {
            std::fputs("melodux-cli: --wave-format needs a .wav output\n", stderr);
            return 2;
        }
        return 0;
    }
    if (options.waveFormat) {
        if (const int rc = applyWaveFormat(*page, *options.waveFormat)) {
            return rc;
        }
    }
    CNxSSFormatChoice* choice = app::formatChoiceOf(*page);
    if (auto* mp3 = dynamic_cast<CNxSSMp3OptionPage*>(page)) {
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

// Follows the job to its end with a progress line; a stop signal abandons
// the output.
int follow(app::ConversionJob& job) {
    const StopSignals stop;
    JobProgress progress;
    bool started = false;
    const auto outcome = job.run([&](const app::ConversionJob::Progress& at) {
        if (stop.requested()) {
            job.cancel();
        }
        if (at.started && !started) {
            started = true;
            std::printf("Started\n");
            std::fflush(stdout);
        }
        progress.show(at.positionMs, at.lengthMs);
    });
    using State = app::ConversionJob::State;
    if (outcome.state == State::Finished) {
        if (!started) {
            std::printf("Started\n");
        }
        const int32_t length = job.progress().lengthMs;
        progress.show(length, length);
        progress.end();
        std::printf("Finished\n");
        return 0;
    }
    progress.end();
    if (outcome.state == State::Cancelled) {
        return stop.requested() ? stop.exitCode() : 1;
    }
    printFailure(outcome.code, outcome.reason);
    return 1;
}

}  // namespace

int runConvert(const Args& args) {
    const auto options = parseOptions(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const int32_t kind = app::ConversionJob::sinkKindFor(options->out);
    if (!engine().canWrite(kind)) {
        std::fprintf(stderr, "melodux-cli: cannot write files of the type of %s\n",
                     options->out.c_str());
        return 2;
    }
    app::ConversionJob job(engine(), options->in, options->out, kind);
    if (const uint32_t rc = job.open()) {
        printError(rc);
        return 1;
    }
    if (const int rc = prepareWriter(job.optionPage().get(), *options)) {
        return rc;
    }
    return follow(job);
}

}  // namespace cli
