#include "cdinfo/GenreMap.h"

#include <array>
#include <utility>

#include "platform/AsciiText.h"

namespace cdinfo {

namespace {

// The CDDB categories and the genre name each stands for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kCategories{{
    {"blues", "Blues"},
    {"classical", "Classical"},
    {"country", "Country"},
    {"data", "Other"},
    {"folk", "Folk"},
    {"jazz", "Jazz"},
    {"misc", "Other"},
    {"newage", "New Age"},
    {"reggae", "Reggae"},
    {"rock", "Rock"},
    {"soundtrack", "Soundtrack"},
}};

}  // namespace

bool isCddbCategory(std::string_view text) {
    if (text.empty() || text.size() > 32) {
        return false;
    }
    for (char c : text) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

int GenreMap::find(std::string_view name) const {
    if (name.empty()) {
        return kNoGenre;
    }
    for (size_t i = 0; i < names_.size() && i < kNoGenre; ++i) {
        if (platform::equalsIgnoreCase(names_[i], name)) {
            return static_cast<int>(i);
        }
    }
    return kNoGenre;
}

int GenreMap::genreFor(std::string_view dgenre, std::string_view category) const {
    if (const int genre = find(dgenre); genre != kNoGenre) {
        return genre;
    }
    for (const auto& [cddb, name] : kCategories) {
        if (platform::equalsIgnoreCase(cddb, category)) {
            return find(name);
        }
    }
    return kNoGenre;
}

std::string GenreMap::categoryFor(int genre) const {
    std::string squeezed;
    for (char c : nameOf(genre)) {
        if (c != ' ' && c != '-') {
            squeezed += platform::lowerAscii(c);
        }
    }
    for (const auto& [cddb, name] : kCategories) {
        if (cddb == squeezed && cddb != "data") {
            return std::string(cddb);
        }
    }
    return "misc";
}

std::string GenreMap::nameOf(int genre) const {
    if (genre < 0 || genre >= kNoGenre || static_cast<size_t>(genre) >= names_.size()) {
        return {};
    }
    return names_[static_cast<size_t>(genre)];
}

}  // namespace cdinfo
