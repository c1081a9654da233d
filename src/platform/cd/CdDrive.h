#pragma once

#include <memory>
#include <string>

#include "platform/cd/CdDisc.h"

namespace platform::cd {

// One CD drive: a real device (/dev/sr0) or a CUE/BIN image mounted as a
// drive. Drives are known by a letter, 'D' for the first; their number is
// the letter's distance from 'A', as drive numbers were counted on the
// desktop the program comes from.
class CdDrive {
  public:
    enum class Kind { Device, Image };

    CdDrive(char letter, Kind kind, std::string path);

    char letter() const { return letter_; }
    int number() const { return letter_ - 'A'; }
    Kind kind() const { return kind_; }
    // The device node or the .cue file.
    const std::string& path() const { return path_; }
    // "D: /dev/sr0": the letter first, as drive lists show it.
    std::string displayName() const;

    // The medium opened for reading; null with no disc or an unreadable one.
    std::unique_ptr<CdDisc> openDisc(ReadMode mode) const;
    // Opens the tray. False for images and when the drive refuses.
    bool eject() const;
    // True when the drive can write CD-R media.
    bool canWrite() const;

  private:
    char letter_;
    Kind kind_;
    std::string path_;
};

}  // namespace platform::cd
