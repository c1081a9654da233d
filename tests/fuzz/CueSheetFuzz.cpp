// libFuzzer target: arbitrary text as the CUE sheet of a CD image, opened
// as a drive the way a mounted image is. The sheet is read by libcdio; our
// side turns what it reports into a table of contents, a freedb disc id
// and sector reads, which must hold whatever the sheet says. The sheet may
// name only files in its own folder, where a short image waits.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "cdinfo/DiscToc.h"
#include "platform/cd/CdDrive.h"

namespace cd = platform::cd;

namespace {

constexpr uint32_t kImageSectors = 40;
constexpr uint32_t kSectorsRead = 2;

// A folder with "track.bin" for the sheets to name, removed at exit.
class ImageFolder {
  public:
    ImageFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "melodux-cue-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        std::vector<char> sector(cd::kSectorBytes);
        std::ofstream bin(std::filesystem::path(folder_) / "track.bin", std::ios::binary);
        for (uint32_t s = 0; s < kImageSectors; ++s) {
            sector.assign(sector.size(), static_cast<char>(s));
            bin.write(sector.data(), static_cast<std::streamsize>(sector.size()));
        }
    }
    ~ImageFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    bool ok() const { return !folder_.empty(); }
    std::filesystem::path sheet() const { return std::filesystem::path(folder_) / "disc.cue"; }

  private:
    std::string folder_;
};

void checkToc(const cd::Toc& toc) {
    uint32_t next = 0;
    for (const cd::TocTrack& t : toc.tracks) {
        require(t.number >= 1 && t.number <= 99);
        require(t.firstSector >= next && t.sectorCount <= toc.leadOut - t.firstSector);
        next = t.firstSector;
    }
    const cdinfo::DiscToc disc = cdinfo::DiscToc::fromToc(toc);
    require(disc.valid() == !toc.tracks.empty());
    cdinfo::discIdText(cdinfo::freedbDiscId(disc));
}

// The first sectors of each track and the last before the lead-out.
void readTracks(cd::CdDisc& disc) {
    const cd::Toc& toc = disc.toc();
    std::vector<uint8_t> out(size_t{kSectorsRead} * cd::kSectorBytes);
    for (const cd::TocTrack& t : toc.tracks) {
        disc.readSectors(t.firstSector, std::min(t.sectorCount, kSectorsRead), out);
    }
    if (toc.leadOut > 0) {
        disc.readSectors(toc.leadOut - 1, 1, out);
    }
    require(!disc.readSectors(toc.leadOut, 1, out));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ImageFolder folder;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!folder.ok() || text.find('/') != std::string_view::npos) {
        return 0;
    }
    std::ofstream(folder.sheet(), std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    const cd::CdDrive drive('D', cd::CdDrive::Kind::Image, folder.sheet().string());
    if (const auto disc = drive.openDisc(cd::ReadMode::Plain)) {
        checkToc(disc->toc());
        readTracks(*disc);
    }
    return 0;
}
