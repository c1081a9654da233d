#pragma once

namespace mdb {
class MutableGroup;
}

namespace app {

// The player as a hand-over of files drives it; the main window implements
// it with its play controller.
class PlaybackControl {
  public:
    virtual ~PlaybackControl() = default;
    virtual void stop() = 0;
    // The player follows `playlist` from its start and plays.
    virtual void playPlaylist(mdb::MutableGroup& playlist) = 0;
};

}  // namespace app
