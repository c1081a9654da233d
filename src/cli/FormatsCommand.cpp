#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/WaveFormatOption.h"
#include "mp3/enc/Mp3EncoderHandle.h"
#include "mp3/enc/Mp3WriterSettings.h"
#include "platform/acm/AcmTypes.h"
#include "platform/acm/CodecRegistry.h"
#include "stream/NxRef.h"
#include "stream/wave/CNxSSWaveOptionPage.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli formats [TAG]\n"
    "       melodux-cli formats mp3 --input-rate HZ --input-channels 1|2\n"
    "The first lists the formats the WAVE writer offers (all tags, or one such as\n"
    "pcm, ima-adpcm, ms-adpcm, alaw, mulaw, mp3 or 0x55); '*' marks the saved one.\n"
    "The second lists the MP3 writer's formats for an input of that rate and\n"
    "channel count.\n";

constexpr int kMostInputRate = 1'000'000;

std::optional<int> count(const std::optional<std::string>& text, int fallback, int most) {
    if (!text) {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || value < 1 || value > most) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// The MP3 writer's list, as its property page fills it for that input.
int listMp3Writer(const CliOptions& o) {
    const auto rate = count(o.value("--input-rate"), 44100, kMostInputRate);
    const auto channels = count(o.value("--input-channels"), 2, 2);
    if (!rate || !channels) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const int snapped = mp3::enc::snapSampleRate(*rate);
    const auto encoder = mp3::enc::Mp3EncoderHandle::create(snapped, *channels, 0);
    if (!encoder) {
        std::fprintf(stderr, "melodux-cli: no MP3 encoder for %d Hz input\n", snapped);
        return 1;
    }
    std::printf("MP3 writer formats for %d Hz %s input:\n", snapped,
                mp3::enc::channelName(*channels));
    for (const auto& f : encoder->formats()) {
        std::printf("  %s\n",
                    mp3::enc::formatListText(f.bitrate, f.sampleRate, f.channels).c_str());
    }
    return 0;
}

void printTag(const platform::acm::FormatTagDetails& tag, const platform::WaveFormat& current) {
    std::printf("0x%04X %s\n", tag.tag, tag.name.c_str());
    for (const auto& entry : CNxSSWaveOptionPage::Formats(tag.tag)) {
        std::printf("%s %-24s %s\n", entry.format == current ? "*" : " ",
                    waveFormatName(entry.format).c_str(), entry.text.c_str());
    }
}

platform::WaveFormat savedFormat() {
    const auto settings = NxRef(new CNxSSWaveWriterSettings());
    settings->Load();
    return settings->Target();
}

// The WAVE writer's option page: every tag it offers with its formats.
int listWaveWriter() {
    const platform::WaveFormat current = savedFormat();
    const auto page = MakeNx<CNxSSWaveOptionPage>(nullptr, NxRef(new CNxSSWaveWriterSettings()));
    for (const auto& tag : page->FormatTags()) {
        printTag(tag, current);
    }
    return 0;
}

// One tag's formats as the page lists them once codecs are enabled.
int listWaveTag(const std::string& name) {
    const auto tag = waveTagOf(name);
    if (!tag) {
        std::fprintf(stderr, "melodux-cli: unknown format tag '%s'\n%s", name.c_str(), kUsage);
        return 2;
    }
    const auto details = platform::acm::CodecRegistry::current()->formatTagDetails(*tag);
    if (!details || CNxSSWaveOptionPage::Formats(*tag).empty()) {
        std::fprintf(stderr, "melodux-cli: no codec writes WAVE files of tag 0x%04X\n", *tag);
        return 1;
    }
    printTag(*details, savedFormat());
    if (*tag != platform::acm::kTagPcm && !CNxSSWaveOptionPage::CodecsEnabled()) {
        std::fputs(
            "note: the recording options offer only PCM until \"EnableCodec\" is set in "
            "DoZIrodiz\\WaveWriter\n",
            stderr);
    }
    return 0;
}

}  // namespace

int runFormats(const Args& args) {
    const auto o = CliOptions::parse(args, {"--input-rate", "--input-channels"});
    if (!o || o->positional().size() > 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const auto& positional = o->positional();
    if (o->value("--input-rate") || o->value("--input-channels")) {
        if (positional.empty() || waveTagOf(positional[0]) != platform::acm::kTagMpegLayer3) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        return listMp3Writer(*o);
    }
    return positional.empty() ? listWaveWriter() : listWaveTag(positional[0]);
}

}  // namespace cli
