#include "platform/Id3v1Genres.h"

#include <array>
#include <charconv>

#include "platform/AsciiText.h"

namespace platform {

namespace {

constexpr std::array<std::string_view, kId3v1GenreCount> kNames = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
};

constexpr int kHighestGenre = 255;

std::optional<int> number(std::string_view text) {
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        text = text.substr(1, text.size() - 2);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > kHighestGenre) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string_view id3v1GenreName(int genre) {
    return genre >= 0 && genre < static_cast<int>(kNames.size()) ? kNames[genre]
                                                                 : std::string_view();
}

std::optional<int> id3v1GenreFromText(std::string_view text) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (equalsIgnoreCase(text, kNames[i])) {
            return static_cast<int>(i);
        }
    }
    return number(text);
}

std::string id3v1GenreText(int genre) {
    const std::string_view name = id3v1GenreName(genre);
    if (!name.empty()) {
        return std::string(name);
    }
    // Appended piece by piece: GCC 12 at -O3 takes "(" + std::string&& for an
    // overlapping copy (a false -Wrestrict).
    std::string text = "(";
    text += std::to_string(genre);
    text += ')';
    return text;
}

}  // namespace platform
