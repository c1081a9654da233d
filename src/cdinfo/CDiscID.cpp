#include "cdinfo/CDiscID.h"

#include <cstdio>

#include "cdinfo/CddaResult.h"
#include "cdinfo/FileNameText.h"

namespace cdinfo {

namespace {

// Room for an extension and a temporary suffix within 255 bytes.
constexpr size_t kMaxNameBytes = 200;

std::string twoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

}  // namespace

int CDiscID::TrackNumber(size_t track) const {
    return tracks[track].number > 0 ? tracks[track].number : static_cast<int>(track) + 1;
}

DiscToc CDiscID::Toc() const {
    DiscToc toc;
    for (const CDiscTrack& track : tracks) {
        toc.offsets.push_back(track.offset);
    }
    toc.leadOut = leadOut;
    return toc;
}

std::string CDiscID::Identity() const {
    if (tracks.empty()) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, "%08x-%zu-%u", discId, tracks.size(), leadOut);
    return text;
}

uint32_t CDiscID::MakeMP3FolderName(std::string& folder, const NamingRules& rules) const {
    std::string base = rules.musicPath;
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    if (base.empty()) {
        return kCddaInvalid;
    }
    std::string album = fileNameSafe(title, kMaxNameBytes);
    if (album.empty()) {
        album = discIdText(discId);
    }
    const std::string artistName = fileNameSafe(artist, kMaxNameBytes);
    const std::string joint = base == "/" ? "" : "/";
    folder = base;
    if (rules.folder == NamingRules::kArtistAlbumFolder && !artistName.empty()) {
        folder += joint + artistName + "/" + album;
    } else if (rules.folder != NamingRules::kNoFolder) {
        folder += joint + album;
    }
    return kCddaOk;
}

std::string CDiscID::partText(int part, size_t track) const {
    const CDiscTrack& t = tracks[track];
    switch (part) {
        case NamingRules::kArtist:
            return t.artist.empty() ? artist : t.artist;
        case NamingRules::kAlbum:
            return title;
        case NamingRules::kTitle:
            return t.title.empty() ? "Track" + twoDigits(TrackNumber(track)) : t.title;
        case NamingRules::kTrackNo:
            return twoDigits(TrackNumber(track));
        default:
            return {};
    }
}

uint32_t CDiscID::MakeMP3FileName(std::string& name, int track, const NamingRules& rules) const {
    if (track < 0 || track >= GetTrackCount()) {
        return kCddaInvalid;
    }
    const size_t index = static_cast<size_t>(track);
    std::string joined;
    for (int part : rules.fileParts) {
        const std::string text = fileNameSafe(partText(part, index), kMaxNameBytes);
        if (!text.empty()) {
            joined += (joined.empty() ? "" : " - ") + text;
        }
    }
    name = fileNameSafe(joined, kMaxNameBytes);
    if (name.empty()) {
        name = "Track" + twoDigits(TrackNumber(index));
    }
    return kCddaOk;
}

void CDiscID::Remove() {
    *this = CDiscID{};
}

void CDiscID::SetDiscArtist(const std::string& text, int apply) {
    artist = text;
    if (apply == 1) {
        for (CDiscTrack& track : tracks) {
            track.artist = text;
        }
    }
}

}  // namespace cdinfo
