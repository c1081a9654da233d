#pragma once

#include <cstdint>
#include <string>

namespace mdb {
class Group;
}

namespace app {

// The list/edit panel as the player sees it.
class PlayerListPanel {
  public:
    virtual ~PlayerListPanel() = default;
    virtual int32_t ViewKind() const = 0;
    // The library group or playlist the panel shows (null: none).
    virtual mdb::Group* CurrentList() const = 0;
    virtual int32_t SelectedIndex() const = 0;
    // The panel's message 0x408: which index of `list` plays (-1: none).
    virtual void ShowPlaying(mdb::Group* list, int32_t index) = 0;
    // The path of the item the player has open ("" when nothing is open).
    virtual void ShowOpenPath(const std::string& path) = 0;
};

// The recording panel's list (files and audio-CD tracks) as the player sees
// it.
class PlayerRecordingPanel {
  public:
    struct Entry {
        int32_t track = 0;  // the CD track number from 1; 0 for a file
        std::string path;   // a file's path
        std::string title;
        std::string artist;  // a file's artist (CD tracks take the disc's)
        int32_t lengthSeconds = 0;
    };

    virtual ~PlayerRecordingPanel() = default;
    virtual int32_t Count() const = 0;
    virtual Entry EntryAt(int32_t index) const = 0;
    // The CD drive, a letter and a colon ("D:").
    virtual std::string DriveText() const = 0;
    virtual std::string DiscArtist() const = 0;
    // The disc the list shows (-1: none).
    virtual int32_t DiscIdentity() const = 0;
    virtual bool IsRecording() const = 0;
    virtual int32_t SelectedTrack() const = 0;   // an index into the list
    virtual int32_t RecordingTrack() const = 0;  // the index being recorded
    // Playback started or stopped; the panel marks the playing track.
    virtual void PlaybackChanged() = 0;
};

}  // namespace app
