#include "cdinfo/DiscEntry.h"

#include <algorithm>

#include "cdinfo/DiscToc.h"

namespace cdinfo {

CDiscID discFromToc(const platform::cd::Toc& toc) {
    const DiscToc layout = DiscToc::fromToc(toc);
    CDiscID disc;
    disc.discId = freedbDiscId(layout);
    disc.leadOut = layout.leadOut;
    disc.title = toc.text.title;
    disc.artist = toc.text.artist;
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        CDiscTrack track;
        track.number = toc.tracks[i].number;
        if (i < toc.trackTexts.size()) {
            track.title = toc.trackTexts[i].title;
            track.artist = toc.trackTexts[i].artist;
        }
        track.offset = layout.offsets[i];
        track.frames = layout.trackFrames(i);
        track.audio = toc.tracks[i].audio;
        disc.tracks.push_back(std::move(track));
    }
    return disc;
}

void applyEntry(const CddbEntry& entry, const std::string& category, const GenreMap& genres,
                CDiscID& disc) {
    disc.title = entry.title;
    disc.artist = entry.artist;
    disc.extra = entry.extra;
    disc.year = entry.year;
    disc.genre = genres.genreFor(entry.genre, category);
    disc.category = category;
    disc.revision = entry.revision;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        CDiscTrack& track = disc.tracks[i];
        const CddbTrackText text = i < entry.tracks.size() ? entry.tracks[i] : CddbTrackText{};
        track.title = text.title;
        track.artist = text.artist.empty() ? entry.artist : text.artist;
        track.extra = text.extra;
        const CddbTrackState state = i < entry.states.size() ? entry.states[i] : CddbTrackState{};
        track.state = state.state;
        track.outputPath = state.path;
    }
}

CddbEntry entryFromDisc(const CDiscID& disc, const GenreMap& genres) {
    CddbEntry entry;
    const DiscToc layout = disc.Toc();
    entry.offsets = layout.offsets;
    entry.discSeconds = layout.discSeconds();
    entry.revision = disc.revision;
    entry.discIds = {disc.discId};
    entry.artist = disc.artist;
    entry.title = disc.title;
    entry.year = disc.year;
    entry.genre = genres.nameOf(disc.genre);
    entry.extra = disc.extra;
    for (const CDiscTrack& track : disc.tracks) {
        entry.tracks.push_back({track.title, track.artist, track.extra});
        entry.states.push_back({track.state, track.outputPath});
    }
    return entry;
}

std::string categoryOf(const CDiscID& disc, const GenreMap& genres) {
    return isCddbCategory(disc.category) ? disc.category : genres.categoryFor(disc.genre);
}

bool hasTitles(const CddbEntry& entry) {
    return !entry.title.empty() ||
           std::any_of(entry.tracks.begin(), entry.tracks.end(),
                       [](const CddbTrackText& t) { return !t.title.empty(); });
}

}  // namespace cdinfo
