#pragma once

#include <string>
#include <vector>

#include "cdinfo/CDiscID.h"

namespace apptest {

// A disc of tracks 61 s long with the given titles.
inline cdinfo::CDiscID disc(std::vector<std::string> titles) {
    cdinfo::CDiscID d;
    d.discId = 0x0a000b03;
    d.title = "Album";
    d.artist = "Band";
    for (std::string& title : titles) {
        cdinfo::CDiscTrack track;
        track.title = std::move(title);
        track.frames = 75 * 61;
        d.tracks.push_back(std::move(track));
    }
    return d;
}

}  // namespace apptest
