#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The 128-byte ID3v1 tag block. Text is CP932 in the block and UTF-8 at
// this class's surface; a field never ends in half a double-byte character.
class Id3v1Block {
  public:
    static constexpr size_t kSize = 128;
    static constexpr size_t kFieldLength = 30;
    static constexpr size_t kCommentWithTrack = 28;
    static constexpr uint8_t kNoGenre = 255;

    // "TAG", zeros, genre 255.
    Id3v1Block();
    // True when bytes hold a block: 128 bytes starting with "TAG".
    static bool IsTag(std::span<const uint8_t> bytes);
    // A block as read from a file.
    explicit Id3v1Block(std::span<const uint8_t, kSize> bytes);

    const std::array<uint8_t, kSize>& Bytes() const { return bytes_; }

    std::string Title() const { return Field(kTitle, kFieldLength); }
    std::string Artist() const { return Field(kArtist, kFieldLength); }
    std::string Album() const { return Field(kAlbum, kFieldLength); }
    std::string Comment() const { return Field(kComment, CommentLimit()); }
    int Year() const;
    int Track() const { return HasTrack() ? bytes_[kTrackByte] : 0; }
    int Genre() const { return bytes_[kGenreByte]; }
    size_t CommentLimit() const { return HasTrack() ? kCommentWithTrack : kFieldLength; }

    void SetTitle(std::string_view utf8) { SetField(kTitle, kFieldLength, utf8); }
    void SetArtist(std::string_view utf8) { SetField(kArtist, kFieldLength, utf8); }
    void SetAlbum(std::string_view utf8) { SetField(kAlbum, kFieldLength, utf8); }
    // 0 clears the year; otherwise the decimal text of year mod 10000.
    void SetYear(int year);
    // With a track the comment keeps 28 bytes and the block becomes ID3v1.1.
    void SetComment(std::string_view utf8, int track);
    void SetGenre(int genre) { bytes_[kGenreByte] = static_cast<uint8_t>(genre); }

  private:
    static constexpr size_t kTitle = 3, kArtist = 33, kAlbum = 63, kYear = 93, kComment = 97;
    static constexpr size_t kYearLength = 4, kTrackMarker = 125, kTrackByte = 126, kGenreByte = 127;

    bool HasTrack() const { return bytes_[kTrackMarker] == 0 && bytes_[kTrackByte] != 0; }
    std::string Field(size_t offset, size_t length) const;
    void SetField(size_t offset, size_t length, std::string_view utf8);

    std::array<uint8_t, kSize> bytes_{};
};
