#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/Engine.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/InfoFields.h"
#include "platform/Id3v1Genres.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli tag NAME [--title T] [--artist A] [--album B] [--year 0..9999]\n"
    "                            [--comment C] [--track 0..255] [--genre NUMBER|NAME]\n"
    "Without options the tag is shown; with them it is written into the file.\n";

struct TagEdits {
    std::optional<std::string> title, artist, album, comment;
    std::optional<int> year, track, genre;

    bool any() const { return title || artist || album || comment || year || track || genre; }
};

std::optional<int> number(const std::string& text, int low, int high) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// A number option that is absent, or present and valid.
bool numberOption(const CliOptions& o, const char* name, int high, std::optional<int>& out) {
    const auto text = o.value(name);
    return !text || (out = number(*text, 0, high)).has_value();
}

std::optional<TagEdits> parseEdits(const CliOptions& o) {
    TagEdits e;
    e.title = o.value("--title");
    e.artist = o.value("--artist");
    e.album = o.value("--album");
    e.comment = o.value("--comment");
    const auto genre = o.value("--genre");
    if (genre && !(e.genre = platform::id3v1GenreFromText(*genre))) {
        return std::nullopt;
    }
    if (!numberOption(o, "--year", 9999, e.year) || !numberOption(o, "--track", 255, e.track)) {
        return std::nullopt;
    }
    return e;
}

void apply(const TagEdits& e, CNxSSInfo& info) {
    if (e.title)
        info.SetTitle(*e.title);
    if (e.artist)
        info.SetArtist(*e.artist);
    if (e.album)
        info.SetAlbum(*e.album);
    if (e.year)
        info.SetYear(*e.year);
    if (e.comment || e.track)
        info.SetComment(e.comment.value_or(info.GetComment()), e.track.value_or(info.GetTrack()));
    if (e.genre)
        info.SetGenre(*e.genre);
}

// A WAVE file, also one holding MP3 data (whose reader refuses with the
// "not supported" code), has no tag of its own to write.
int refuseWaveFile(const std::string& name) {
    std::fprintf(stderr, "melodux-cli: %s: tags are written to MP3 and WMA files only\n",
                 name.c_str());
    return 1;
}

}  // namespace

int runTag(const Args& args) {
    const auto options = CliOptions::parse(
        args, {"--title", "--artist", "--album", "--year", "--comment", "--track", "--genre"});
    const auto edits =
        options && options->positional().size() == 1 ? parseEdits(*options) : std::nullopt;
    if (!edits) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& name = options->positional()[0];
    auto manager = engine().makeManager();
    const NxRef<CNxSSInfo> info = openInfo(*manager, name);
    if (!info) {
        return 1;
    }
    if (edits->any()) {
        if (info->GetKind() == CNxSSInfo::kRiff) {
            return refuseWaveFile(name);
        }
        apply(*edits, *info);
        const uint32_t rc = info->WriteTag();
        if (rc == nxss::kUndefined) {
            return refuseWaveFile(name);
        }
        if (rc) {
            printError(rc);
            return 1;
        }
    }
    printTagFields(*info);
    return 0;
}

}  // namespace cli
