#include "tags/TagGenre.h"

#include <taglib/id3v1genres.h>

#include <optional>

#include "platform/Id3v1Genres.h"
#include "tags/ExtendedTags.h"

namespace tags {

namespace {

// "(17)Rock" and "(17)" as ID3v2.3 writes a number with its refinement.
std::optional<int> leadingReference(std::string_view text) {
    const size_t close = text.find(')');
    if (text.empty() || text.front() != '(' || close == std::string_view::npos) {
        return std::nullopt;
    }
    return platform::id3v1GenreFromText(text.substr(0, close + 1));
}

}  // namespace

int genreNumber(std::string_view text) {
    if (const auto number = platform::id3v1GenreFromText(text)) {
        return *number;
    }
    if (const auto number = leadingReference(text)) {
        return *number;
    }
    const int extended =
        TagLib::ID3v1::genreIndex(TagLib::String(std::string(text), TagLib::String::UTF8));
    return extended >= 0 && extended < kNoGenre ? extended : kNoGenre;
}

std::string genreText(int genre) {
    const std::string_view name = platform::id3v1GenreName(genre);
    return name.empty() ? std::to_string(genre) : std::string(name);
}

}  // namespace tags
