#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cd/CdDrive.h"

namespace platform::cd {

struct DriveListOptions {
    bool devices = true;              // look for real drives
    std::vector<std::string> images;  // .cue files mounted as drives after them
};

// The CD drives in discovery order, lettered from 'D': real drives first,
// then the images. Letters stop at 'Z'; drives beyond are not listed.
class DriveList {
  public:
    static constexpr char kFirstLetter = 'D';

    explicit DriveList(const DriveListOptions& options);

    // This computer's drives: real ones, then the images named by
    // $MELODUX_CD_IMAGES (separated by ':') or, when it is unset, by the
    // setting "CDImages" (one per line).
    static DriveListOptions systemOptions();

    const std::vector<CdDrive>& drives() const { return drives_; }
    const CdDrive* findByNumber(int number) const;
    const CdDrive* findByLetter(char letter) const;  // either case
    // A drive as settings and track names give it: "D:", "d",
    // "D:\Track01.cda", "D: /dev/sr0". Empty text picks the first drive.
    const CdDrive* find(std::string_view driveText) const;

  private:
    void add(CdDrive::Kind kind, std::string path);

    std::vector<CdDrive> drives_;
};

// Splits a list of image paths at `separator`, dropping empty entries and
// surrounding blanks.
std::vector<std::string> splitImageList(std::string_view text, char separator);

}  // namespace platform::cd
