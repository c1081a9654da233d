#include "app/StreamTagAccess.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "mdb/MusicInfo.h"
#include "platform/WaveOutDrivers.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"

namespace app {

namespace {

uint32_t nonNegative(int32_t value) {
    return static_cast<uint32_t>(std::max(value, 0));
}

// Numbers the tag cannot hold are passed on at the largest the setter takes.
int32_t asSetterValue(uint32_t value) {
    return static_cast<int32_t>(std::min<uint32_t>(value, std::numeric_limits<int32_t>::max()));
}

uint32_t genreNumber(int32_t genre) {
    return genre >= 0 && genre <= 255 ? static_cast<uint32_t>(genre) : mdb::MusicInfo::kNoGenre;
}

mdb::TagInfo tagOf(const CNxSSInfo& info) {
    mdb::TagInfo tag;
    tag.title = info.GetTitle();
    tag.artist = info.GetArtist();
    tag.album = info.GetAlbum();
    tag.comment = info.GetComment();
    tag.year = nonNegative(info.GetYear());
    tag.track = nonNegative(info.GetTrack());
    tag.genre = genreNumber(info.GetGenre());
    tag.playTime = nonNegative(info.GetDuration());
    tag.fileSize = info.GetFileSize();
    tag.kind = static_cast<uint32_t>(info.GetKind());
    return tag;
}

void applyEdit(CNxSSInfo& info, const mdb::TagEdit& edit) {
    if (edit.title) {
        info.SetTitle(*edit.title);
    }
    if (edit.artist) {
        info.SetArtist(*edit.artist);
    }
    if (edit.album) {
        info.SetAlbum(*edit.album);
    }
    if (edit.year) {
        info.SetYear(asSetterValue(*edit.year));
    }
    if (edit.commentTrack) {
        info.SetComment(edit.commentTrack->comment, asSetterValue(edit.commentTrack->track));
    }
    if (edit.genre) {
        info.SetGenre(asSetterValue(*edit.genre));
    }
}

}  // namespace

// Tags are only read and written here, never played, so the manager gets
// the silent driver rather than opening the sound system.
StreamTagAccess::StreamTagAccess(CNxSSComponentCatalog catalog)
    : manager_(MakeNx<CNxSSManager>(std::move(catalog), platform::makeNullWaveOutDriver())) {}

std::optional<mdb::TagInfo> StreamTagAccess::read(const std::string& path) {
    try {
        if (const NxRef<CNxSSInfo> info = open(path)) {
            return tagOf(*info);
        }
    } catch (const CNxSSException&) {
        // A reader that fails on a getter has not read the file as music.
    }
    return std::nullopt;
}

mdb::TagWriteResult StreamTagAccess::write(const std::string& path, const mdb::TagEdit& edit) {
    const NxRef<CNxSSInfo> info = open(path);
    if (!info) {
        return mdb::TagWriteResult::Unreadable;
    }
    try {
        applyEdit(*info, edit);
        return nxss::failed(info->WriteTag()) ? mdb::TagWriteResult::WriteFailed
                                              : mdb::TagWriteResult::Written;
    } catch (const CNxSSException&) {
        return mdb::TagWriteResult::WriteFailed;
    }
}

std::optional<StreamTagAccess::Facts> StreamTagAccess::facts(const std::string& path) {
    try {
        if (const NxRef<CNxSSInfo> info = open(path)) {
            return Facts{info->InformationText(), info->GetKind()};
        }
    } catch (const CNxSSException&) {
    }
    return std::nullopt;
}

NxRef<CNxSSInfo> StreamTagAccess::open(const std::string& path) {
    NxRef<CNxSSInfo> info;
    if (path.empty() || nxss::failed(manager_->GetInfo(path, info))) {
        return {};
    }
    return info;
}

}  // namespace app
