#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace cdtest {

using TempDir = testsupport::TempDir;

struct ImageTrack {
    bool audio = true;
    uint32_t sectors = 0;
};

// A CUE/BIN image whose sectors hold a known pattern, so reads can be
// checked byte for byte.
class CdImage {
  public:
    CdImage(const std::filesystem::path& folder, std::vector<ImageTrack> tracks,
            const std::string& name = "disc");

    const std::filesystem::path& cuePath() const { return cue_; }
    uint32_t trackStart(int track) const;  // LSN, track from 1
    uint32_t leadOut() const;
    // The bytes the image holds for one track.
    std::vector<uint8_t> trackBytes(int track) const;
    // The pattern byte at `offset` of sector `lsn`; `seed` tells discs apart.
    static uint8_t patternByte(uint32_t seed, uint32_t lsn, uint32_t offset);

  private:
    void writeBin(const std::filesystem::path& bin) const;
    void writeCue(const std::string& binName) const;

    std::vector<ImageTrack> tracks_;
    std::vector<uint32_t> starts_;
    uint32_t seed_;
    std::filesystem::path cue_;
};

}  // namespace cdtest
