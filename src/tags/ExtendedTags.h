#pragma once

#include <optional>
#include <string>

// The tags an MP3 file carries besides ID3v1: ID3v2 (2.2, 2.3, 2.4) at its
// start and APE before its end, as other programs write them.
namespace tags {

inline constexpr int kNoGenre = 255;

// One tag's fields, text in UTF-8; 0, empty or kNoGenre where it has none.
struct TagFields {
    std::string title, artist, album, comment;
    int year = 0;
    int track = 0;
    int genre = kNoGenre;
};

struct ExtendedTags {
    int id3v2Version = 0;  // the major version, 0 without an ID3v2 tag
    bool ape = false;
    // The ID3v2 value of each field, the APE one where ID3v2 has none.
    TagFields fields;

    bool present() const { return id3v2Version != 0 || ape; }
};

// The fields an edit changes; the rest stay as the file has them.
struct TagEdit {
    std::optional<std::string> title, artist, album, comment;
    std::optional<int> year, track, genre;

    bool empty() const {
        return !title && !artist && !album && !comment && !year && !track && !genre;
    }
};

// Nothing present when the file cannot be read or carries neither tag.
ExtendedTags readExtendedTags(const std::string& path);

// Applies the edit to the file's ID3v2 and APE tags, whichever it has,
// keeping each ID3v2 tag at its version (2.2 becomes 2.3). The file is
// changed in place: callers hand over a private copy. False when the file
// cannot be opened or saved, its ID3v2 tag is damaged (not at the start,
// or claiming more bytes than the file holds), or the saved file does not
// read back as edited.
bool writeExtendedTags(const std::string& path, const TagEdit& edit);

}  // namespace tags
