#pragma once

#include <QTimer>
#include <functional>
#include <string>

#include "ui/PoolWork.h"

namespace ui::record {

// Watches a CD drive for a disc coming or going: once a second the drive
// is asked on a pool thread, and a change of the disc (or of its presence)
// is reported on the UI thread.
class MediaWatch {
  public:
    // Whether this turn may look (false while a lookup, a recording or
    // playing from the drive goes on); asked again when the answer arrives.
    using Allowed = std::function<bool()>;
    using Changed = std::function<void()>;
    // The drive as the settings name it ("" for the first one).
    using Drive = std::function<std::string()>;

    MediaWatch(Drive drive, Allowed allowed, Changed changed);

    // Looks at once, then every second.
    void start();
    // The next answer counts as a change (the drive was changed).
    void forget() { known_ = false; }
    // Whether an answer since the start or the last forget() was taken.
    bool known() const { return known_; }

  private:
    void poll();
    void take(int present, const std::string& identity);

    Drive drive_;
    Allowed allowed_;
    Changed changed_;
    bool asking_ = false;
    bool known_ = false;
    int present_ = 0;
    std::string identity_;
    QTimer timer_;
    PoolWork work_;  // last: its end waits for the drive's answer
};

}  // namespace ui::record
