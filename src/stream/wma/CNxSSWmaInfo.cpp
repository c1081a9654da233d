#include "stream/wma/CNxSSWmaInfo.h"

#include <filesystem>
#include <new>
#include <utility>

#include "platform/Id3v1Genres.h"
#include "platform/wma/WmaModule.h"
#include "stream/ResultCodes.h"
#include "stream/wma/CNxSSWmaReader.h"
#include "stream/wma/WmaResultCode.h"

namespace {

using platform::wma::Attributes;
namespace attr = platform::wma::attr;

constexpr int kHighestTrack = 255;

std::string text(const Attributes& a, std::string_view name) {
    return a.get(name).value_or(std::string());
}

// "2003" or "2003-05-01": the leading digits.
int yearOf(const Attributes& a) {
    int year = 0;
    for (const char c : text(a, attr::kYear)) {
        if (c < '0' || c > '9') {
            break;
        }
        year = year * 10 + (c - '0');
        if (year > 9999) {
            return 0;
        }
    }
    return year;
}

int trackOf(const Attributes& a) {
    const auto track = a.trackNumber();
    return track && *track <= kHighestTrack ? *track : 0;
}

int genreOf(const Attributes& a) {
    return platform::id3v1GenreFromText(text(a, attr::kGenre)).value_or(Id3v1Block::kNoGenre);
}

// The block that the attributes make, with the comment cut for `track`.
Id3v1Block blockFor(const Attributes& a, int track) {
    Id3v1Block block;
    block.SetTitle(text(a, attr::kTitle));
    block.SetArtist(text(a, attr::kAuthor));
    block.SetAlbum(text(a, attr::kAlbumTitle));
    block.SetYear(yearOf(a));
    block.SetComment(text(a, attr::kDescription), track);
    block.SetGenre(genreOf(a));
    return block;
}

void put(Attributes& a, std::string_view name, const std::string& value) {
    if (value.empty()) {
        a.erase(name);
    } else {
        a.set(name, value);
    }
}

// "WM/TrackNumber" counts from 1, "WM/Track" (kept only where present) from 0.
void putTrack(Attributes& a, int track) {
    if (track == 0) {
        a.erase(attr::kTrackNumber);
        a.erase(attr::kTrack);
        return;
    }
    a.set(attr::kTrackNumber, std::to_string(track));
    if (a.get(attr::kTrack)) {
        a.set(attr::kTrack, std::to_string(track - 1));
    }
}

}  // namespace

CNxSSWmaInfo::CNxSSWmaInfo(CNxSSWmaReader* owner) : CNxSSWmaInfo(owner, owner->FileAttributes()) {}

CNxSSWmaInfo::CNxSSWmaInfo(CNxSSWmaReader* owner, platform::wma::Attributes stored)
    : CNxSSBlockInfo(owner, blockFor(stored, trackOf(stored)), text(stored, attr::kTitle)),
      reader_(owner),
      stored_(std::move(stored)) {
    SetTag("WMAINFO ");
}

void CNxSSWmaInfo::SetTitle(std::string_view title) {
    SetTitles(title, std::string(title));
}

int32_t CNxSSWmaInfo::GetBitrate() const {
    return static_cast<int32_t>(reader_->StreamFacts().bitrate);
}

int32_t CNxSSWmaInfo::GetSampleRate() const {
    return static_cast<int32_t>(reader_->StreamFacts().sampleRate);
}

int32_t CNxSSWmaInfo::GetChannels() const {
    return reader_->StreamFacts().channels;
}

uint64_t CNxSSWmaInfo::GetFileSize() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(reader_->Path(), ec);
    return ec ? 0 : size;
}

uint32_t CNxSSWmaInfo::WriteTag() {
    try {
        const Attributes edited = Edited();
        if (edited == stored_) {
            return 0;
        }
        platform::wma::wmaCodec().rewriteAttributes(reader_->Path(), edited);
        stored_ = edited;
        reader_->SetFileAttributes(edited);
        return 0;
    } catch (const platform::wma::Error& e) {
        return nxss::wmaResultCode(e);
    } catch (const std::bad_alloc&) {
        return nxss::kOutOfMemory;
    }
}

// The stored attributes with every field that differs from what they make
// of it replaced by the field.
Attributes CNxSSWmaInfo::Edited() const {
    Attributes a = stored_;
    const Id3v1Block before = blockFor(stored_, Block().Track());
    if (GetTitle() != text(stored_, attr::kTitle)) {
        put(a, attr::kTitle, GetTitle());
    }
    if (Block().Artist() != before.Artist()) {
        put(a, attr::kAuthor, Block().Artist());
    }
    if (Block().Album() != before.Album()) {
        put(a, attr::kAlbumTitle, Block().Album());
    }
    if (Block().Year() != before.Year()) {
        put(a, attr::kYear, Block().Year() ? std::to_string(Block().Year()) : std::string());
    }
    if (Block().Comment() != before.Comment()) {
        put(a, attr::kDescription, Block().Comment());
    }
    if (Block().Track() != trackOf(stored_)) {
        putTrack(a, Block().Track());
    }
    if (Block().Genre() != before.Genre()) {
        put(a, attr::kGenre,
            Block().Genre() == Id3v1Block::kNoGenre ? std::string()
                                                    : platform::id3v1GenreText(Block().Genre()));
    }
    return a;
}
