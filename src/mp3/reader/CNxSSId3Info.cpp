#include "mp3/reader/CNxSSId3Info.h"

#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/ResultCodes.h"

namespace {

constexpr int32_t kLargestBlockTrack = 255;

std::string preferred(const std::string& extended, std::string block) {
    return extended.empty() ? std::move(block) : extended;
}

}  // namespace

CNxSSId3Info::CNxSSId3Info(CNxSSMp3Reader* owner)
    : CNxSSBlockInfo(owner, owner->Tag(), owner->LongTitle()) {
    SetTag("ID3INFO ");
    if (const std::string path = owner->TaggedPath(); !path.empty()) {
        extended_ = tags::readExtendedTags(path);
    }
}

// An edit reaches the ID3v2 or APE tag only when the file has one: a file
// with ID3v1 alone keeps exactly that.
void CNxSSId3Info::SetTitle(std::string_view text) {
    SetTitles(text, {});
    if (extended_.present()) {
        edit_.title = extended_.fields.title = text;
    }
}

void CNxSSId3Info::SetArtist(std::string_view text) {
    CNxSSBlockInfo::SetArtist(text);
    if (extended_.present()) {
        edit_.artist = extended_.fields.artist = text;
    }
}

void CNxSSId3Info::SetAlbum(std::string_view text) {
    CNxSSBlockInfo::SetAlbum(text);
    if (extended_.present()) {
        edit_.album = extended_.fields.album = text;
    }
}

void CNxSSId3Info::SetYear(int32_t year) {
    CNxSSBlockInfo::SetYear(year);
    if (extended_.present()) {
        edit_.year = extended_.fields.year = year;
    }
}

// A track number the block's byte cannot hold stays out of it rather than
// being stored wrapped.
void CNxSSId3Info::SetComment(std::string_view text, int32_t track) {
    CNxSSBlockInfo::SetComment(text, track <= kLargestBlockTrack ? track : 0);
    if (extended_.present()) {
        edit_.comment = extended_.fields.comment = text;
        edit_.track = extended_.fields.track = track;
    }
}

void CNxSSId3Info::SetGenre(int32_t genre) {
    CNxSSBlockInfo::SetGenre(genre);
    if (extended_.present()) {
        edit_.genre = extended_.fields.genre = genre;
    }
}

std::string CNxSSId3Info::GetTitle() const {
    return preferred(Extended().title, CNxSSBlockInfo::GetTitle());
}

std::string CNxSSId3Info::GetArtist() const {
    return preferred(Extended().artist, CNxSSBlockInfo::GetArtist());
}

std::string CNxSSId3Info::GetAlbum() const {
    return preferred(Extended().album, CNxSSBlockInfo::GetAlbum());
}

int32_t CNxSSId3Info::GetYear() const {
    return Extended().year ? Extended().year : CNxSSBlockInfo::GetYear();
}

std::string CNxSSId3Info::GetComment() const {
    return preferred(Extended().comment, CNxSSBlockInfo::GetComment());
}

int32_t CNxSSId3Info::GetTrack() const {
    return Extended().track ? Extended().track : CNxSSBlockInfo::GetTrack();
}

int32_t CNxSSId3Info::GetGenre() const {
    return Extended().genre != tags::kNoGenre ? Extended().genre : CNxSSBlockInfo::GetGenre();
}

int32_t CNxSSId3Info::GetBitrate() const {
    const Mp3InfoRecord r = InfoRecord();
    return static_cast<int32_t>(r.variableBitrate ? r.currentBitrate : r.bitrate);
}

uint64_t CNxSSId3Info::GetFileSize() const {
    CNxSSMp3Reader* reader = Reader();
    return reader ? reader->FileSize() : 0;
}

uint32_t CNxSSId3Info::WriteTag() {
    CNxSSMp3Reader* reader = Reader();
    if (!reader) {
        return nxss::kFail;
    }
    const uint32_t rc = reader->WriteTags(Block(), edit_);
    if (rc == 0) {
        edit_ = {};
    }
    return rc;
}

Mp3InfoRecord CNxSSId3Info::InfoRecord() const {
    CNxSSMp3Reader* reader = Reader();
    return reader ? reader->InfoRecord() : Mp3InfoRecord{};
}

CNxSSMp3Reader* CNxSSId3Info::Reader() const {
    return static_cast<CNxSSMp3Reader*>(Owner());
}
