#pragma once

#include <array>
#include <string>

namespace platform {
class Registry;
}

namespace cdinfo {

// How ripped tracks are named: up to four parts of the file name and the
// folder layout under the music folder.
struct NamingRules {
    enum Part : int { kArtist = 0, kAlbum = 1, kTitle = 2, kTrackNo = 3, kNone = 4 };
    enum Folder : int { kNoFolder = 0, kAlbumFolder = 1, kArtistAlbumFolder = 2 };

    std::array<int, 4> fileParts{kTitle, kNone, kNone, kNone};
    int folder = kAlbumFolder;
    std::string musicPath;

    // "FileNameType1".."FileNameType4", "DirNameType" and "DefaultMusicPath"
    // (the user's music folder when empty).
    static NamingRules fromSettings(const platform::Registry& registry);
    // $XDG_MUSIC_DIR, else ~/Music.
    static std::string defaultMusicPath();
};

}  // namespace cdinfo
