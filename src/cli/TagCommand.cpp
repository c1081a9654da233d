#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/EngineCatalog.h"
#include "cli/InfoFields.h"
#include "stream/CNxSSManager.h"
#include "stream/Id3v1Genres.h"

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

// Takes one option and its value; false for anything it does not know.
bool takeOption(const std::string& option, const std::string& value, TagEdits& e) {
    if (option == "--title") {
        e.title = value;
    } else if (option == "--artist") {
        e.artist = value;
    } else if (option == "--album") {
        e.album = value;
    } else if (option == "--comment") {
        e.comment = value;
    } else if (option == "--year") {
        return (e.year = number(value, 0, 9999)).has_value();
    } else if (option == "--track") {
        return (e.track = number(value, 0, 255)).has_value();
    } else if (option == "--genre") {
        return (e.genre = nxss::id3v1GenreFromText(value)).has_value();
    } else {
        return false;
    }
    return true;
}

std::optional<TagEdits> parseEdits(const Args& args) {
    TagEdits edits;
    for (size_t i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size() || !takeOption(args[i], args[i + 1], edits)) {
            return std::nullopt;
        }
    }
    return edits;
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

}  // namespace

int runTag(const Args& args) {
    const auto edits =
        args.empty() || args[0].rfind("--", 0) == 0 ? std::nullopt : parseEdits(args);
    if (!edits) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    auto manager = MakeNx<CNxSSManager>(engineCatalog());
    const NxRef<CNxSSInfo> info = openInfo(*manager, args[0]);
    if (!info) {
        return 1;
    }
    if (edits->any()) {
        apply(*edits, *info);
        if (const uint32_t rc = info->WriteTag()) {
            printError(rc);
            return 1;
        }
    }
    printTagFields(*info);
    return 0;
}

}  // namespace cli
