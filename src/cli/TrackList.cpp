#include "cli/TrackList.h"

#include <charconv>
#include <set>
#include <stdexcept>
#include <string>

namespace cli {

namespace {

int trackNumber(std::string_view text, std::string_view item) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < 1) {
        throw std::invalid_argument("'" + std::string(item) + "' is not a track number or range");
    }
    return number;
}

// One item: "N" or "N-M".
void addItem(std::string_view item, int trackCount, std::set<int>& tracks) {
    const size_t dash = item.find('-');
    const int first = trackNumber(item.substr(0, dash), item);
    const int last =
        dash == std::string_view::npos ? first : trackNumber(item.substr(dash + 1), item);
    if (last < first) {
        throw std::invalid_argument("the range '" + std::string(item) + "' runs backwards");
    }
    if (last > trackCount) {
        throw std::invalid_argument("the disc has no track " + std::to_string(last) + " (it has " +
                                    std::to_string(trackCount) + ")");
    }
    for (int track = first; track <= last; ++track) {
        tracks.insert(track);
    }
}

}  // namespace

std::vector<int> parseTrackList(std::string_view text, int trackCount) {
    std::set<int> tracks;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        addItem(text.substr(start, comma - start), trackCount, tracks);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return {tracks.begin(), tracks.end()};
}

}  // namespace cli
