#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cdinfo/DiscToc.h"
#include "cdinfo/NamingRules.h"

namespace cdinfo {

struct CDiscTrack {
    int number = 0;  // as the disc numbers it, which names it ("D:\Track5.cda")
    std::string title;
    std::string artist;
    std::string extra;
    uint32_t offset = 0;  // start address in CD frames (LBA)
    uint32_t frames = 0;  // length in CD frames, 75 per second
    bool audio = true;
    int state = 0;  // recording state: 0 none, 2 recorded, 3 aborted, 4 setting error
    std::string outputPath;
};

// One disc: its layout, titles and the program's per-track recording
// states. A plain value: copied by assignment.
class CDiscID {
  public:
    static constexpr int kNoGenre = 255;

    uint32_t discId = 0;   // freedb disc id
    uint32_t leadOut = 0;  // lead-out address in CD frames (LBA)
    std::string title;     // album
    std::string artist;
    std::string extra;  // EXTD
    std::string year;
    int genre = kNoGenre;  // index into the genre table
    std::string category;  // the CDDB category the titles came from
    int revision = -1;     // the CDDB revision; -1 for a disc never submitted
    std::vector<CDiscTrack> tracks;

    int GetTrackCount() const { return static_cast<int>(tracks.size()); }
    DiscToc Toc() const;
    // Changes with the disc: id, track count and lead-out. Empty when the
    // disc information is empty.
    std::string Identity() const;

    // The disc's output folder, without a trailing '/'. 0, or kCddaInvalid
    // when the music folder is not set.
    uint32_t MakeMP3FolderName(std::string& folder, const NamingRules& rules) const;
    uint32_t MakeMP3FolderName(std::string& folder) const;  // rules from the settings
    // Track `track`'s (from 0) file name without extension. kCddaInvalid for
    // a track the disc does not have.
    uint32_t MakeMP3FileName(std::string& name, int track, const NamingRules& rules) const;
    uint32_t MakeMP3FileName(std::string& name, int track) const;

    void Remove();
    // Sets the disc artist; with apply = 1 every track's artist too.
    void SetDiscArtist(const std::string& text, int apply);
    // The disc's number of the track at `track`; a disc made by hand counts
    // from 1.
    int TrackNumber(size_t track) const;

  private:
    std::string partText(int part, size_t track) const;
};

}  // namespace cdinfo
