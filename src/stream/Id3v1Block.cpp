#include "stream/Id3v1Block.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCodec.h"

Id3v1Block::Id3v1Block() {
    std::memcpy(bytes_.data(), "TAG", 3);
    bytes_[kGenreByte] = kNoGenre;
}

bool Id3v1Block::IsTag(std::span<const uint8_t> bytes) {
    return bytes.size() >= kSize && std::memcmp(bytes.data(), "TAG", 3) == 0;
}

Id3v1Block::Id3v1Block(std::span<const uint8_t, kSize> bytes) {
    std::copy(bytes.begin(), bytes.end(), bytes_.begin());
}

int Id3v1Block::Year() const {
    int year = 0;
    for (size_t i = 0; i < kYearLength; ++i) {
        const uint8_t c = bytes_[kYear + i];
        if (c < '0' || c > '9') {
            break;
        }
        year = year * 10 + (c - '0');
    }
    return year;
}

void Id3v1Block::SetYear(int year) {
    std::fill_n(bytes_.begin() + kYear, kYearLength, 0);
    if (year >= 1) {
        const std::string digits = std::to_string(year % 10000);
        std::copy_n(digits.begin(), std::min(digits.size(), kYearLength), bytes_.begin() + kYear);
    }
}

void Id3v1Block::SetComment(std::string_view utf8, int track) {
    if (track != 0) {
        SetField(kComment, kCommentWithTrack, utf8);
        bytes_[kTrackMarker] = 0;
        bytes_[kTrackByte] = static_cast<uint8_t>(track);
    } else {
        SetField(kComment, kFieldLength, utf8);
    }
}

// The field up to its first zero byte, trailing blanks removed.
std::string Id3v1Block::Field(size_t offset, size_t length) const {
    const auto begin = bytes_.begin() + offset;
    const auto end = std::find(begin, begin + length, 0);
    std::string cp932(begin, end);
    cp932.erase(cp932.find_last_not_of(' ') + 1);
    return platform::cp932ToUtf8(cp932);
}

void Id3v1Block::SetField(size_t offset, size_t length, std::string_view utf8) {
    const std::string cp932 = platform::utf8ToCp932(utf8);
    const std::string_view kept = platform::cp932Truncate(cp932, length);
    std::fill_n(bytes_.begin() + offset, length, 0);
    std::copy(kept.begin(), kept.end(), bytes_.begin() + offset);
}
