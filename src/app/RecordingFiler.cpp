#include "app/RecordingFiler.h"

#include <cstdio>
#include <cstdlib>

#include "platform/cd/Toc.h"

namespace app {

namespace {

constexpr uint32_t kLatestYear = 9999;

uint32_t yearOf(const std::string& text) {
    const long year = std::strtol(text.c_str(), nullptr, 10);
    return year > 0 && year <= long{kLatestYear} ? static_cast<uint32_t>(year) : 0;
}

// An untitled track is named by the disc's number for it, which is not its
// position when the disc's tracks do not start at 1.
std::string trackTitle(const cdinfo::CDiscID& disc, size_t index) {
    if (!disc.tracks[index].title.empty()) {
        return disc.tracks[index].title;
    }
    char text[32];
    std::snprintf(text, sizeof text, "Track%02d", disc.TrackNumber(index));
    return text;
}

}  // namespace

mdb::MusicInfo rippedTrackRecord(const cdinfo::CDiscID& disc, int track, const std::string& path) {
    const size_t index = static_cast<size_t>(track);
    const cdinfo::CDiscTrack& t = disc.tracks.at(index);
    mdb::MusicInfo record;
    record.path = path;
    record.title = trackTitle(disc, index);
    record.album = disc.title;
    record.artist = t.artist.empty() ? disc.artist : t.artist;
    record.comment = t.extra;
    record.genre = disc.genre >= 0 && disc.genre < 255 ? static_cast<uint32_t>(disc.genre)
                                                       : mdb::MusicInfo::kNoGenre;
    record.year = yearOf(disc.year);
    record.track = static_cast<uint32_t>(disc.TrackNumber(index));
    record.playTime =
        static_cast<uint32_t>(uint64_t{t.frames} * 1000 / platform::cd::kSectorsPerSecond);
    return record;
}

mdb::MusicItem* fileRecording(mdb::MusicDatabase& db, const mdb::MusicInfo& record) {
    const auto guard = db.lock();
    mdb::MusicItemList& library = db.library();
    mdb::MusicCriterion samePath;
    samePath.path = record.path;
    samePath.mask = mdb::MusicInfo::Path;
    size_t index = mdb::kNoIndex;
    const bool known = library.findFirst(samePath, true, 0, index);
    if (!known && (index = library.add(record, false)) == mdb::kNoIndex) {
        return nullptr;
    }
    mdb::MusicItem* item = library.itemAt(index);
    if (known) {
        item->setInfo(record);
    }
    // A new recording carries no tag yet, whatever the record held before.
    // A format without a writable tag (WAVE) keeps the fields in the record
    // only; the stored time follows the file all the same, so that
    // synchronising neither retries the write nor reads the empty tag back.
    item->writeTagToFile();
    if (const auto status = db.tags().status(record.path)) {
        item->setSize(mdb::toStoredSize(status->size));
        item->setModified(mdb::toStoredTime(status->modified));
    }
    return item;
}

}  // namespace app
