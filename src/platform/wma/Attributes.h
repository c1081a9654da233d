#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::wma {

// Names of the attributes the program works with, as ASF files carry them.
namespace attr {
inline constexpr std::string_view kTitle = "Title";
inline constexpr std::string_view kAuthor = "Author";
inline constexpr std::string_view kDescription = "Description";
inline constexpr std::string_view kCopyright = "Copyright";
inline constexpr std::string_view kRating = "Rating";
inline constexpr std::string_view kAlbumTitle = "WM/AlbumTitle";
inline constexpr std::string_view kYear = "WM/Year";
inline constexpr std::string_view kGenre = "WM/Genre";
inline constexpr std::string_view kTrack = "WM/Track";              // counted from 0
inline constexpr std::string_view kTrackNumber = "WM/TrackNumber";  // counted from 1
}  // namespace attr

// The text attributes of a WMA file in file order, values in UTF-8. Names
// compare without regard to ASCII case, as the format's readers do.
class Attributes {
  public:
    using Entry = std::pair<std::string, std::string>;

    std::optional<std::string> get(std::string_view name) const;
    // Replaces the value of an existing name (keeping its place) or appends.
    void set(std::string_view name, std::string_view value);
    void erase(std::string_view name);
    const std::vector<Entry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    // "WM/TrackNumber", else "WM/Track" + 1; nothing when neither holds a
    // positive number.
    std::optional<int> trackNumber() const;

    friend bool operator==(const Attributes&, const Attributes&) = default;

  private:
    std::vector<Entry>::const_iterator find(std::string_view name) const;

    std::vector<Entry> entries_;
};

}  // namespace platform::wma
