// Reads a three-minute track of a CUE/BIN image the way the CD reader does
// (27 sectors at a time) and reports the speed as a multiple of real time,
// for plain and for verified (paranoia) reads.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/cd/CdTrack.h"

namespace {

using namespace platform::cd;
namespace fs = std::filesystem;

constexpr uint32_t kTrackSectors = 13500;  // three minutes
constexpr int kRounds = 3;

fs::path writeImage(const fs::path& folder) {
    std::ofstream bin(folder / "bench.bin", std::ios::binary);
    std::vector<char> sector(kSectorBytes);
    for (uint32_t s = 0; s < kTrackSectors; ++s) {
        for (uint32_t i = 0; i < kSectorBytes; ++i) {
            sector[i] = static_cast<char>((s * 31 + i * 7) >> 3);
        }
        bin.write(sector.data(), static_cast<std::streamsize>(sector.size()));
    }
    std::ofstream(folder / "bench.cue")
        << "FILE \"bench.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    return folder / "bench.cue";
}

double timesRealTime(const DriveList& drives, ReadMode mode) {
    std::vector<uint8_t> buffer(CdTrack::kSectorsPerRead * kSectorBytes);
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        CdError error = CdError::None;
        auto track = CdTrack::open(drives, 'D' - 'A', 1, mode, error);
        const auto start = std::chrono::steady_clock::now();
        for (uint32_t s = track->firstSector(); s < track->endSector();) {
            const auto n = track->read(s, CdTrack::kSectorsPerRead, buffer);
            if (!n || *n == 0) {
                std::fprintf(stderr, "read failed at sector %u\n", s);
                return 0;
            }
            s += *n;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::max(best, track->lengthMs() / 1000.0 / seconds);
    }
    return best;
}

}  // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "melodux-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const fs::path folder = pattern;
    DriveListOptions options;
    options.devices = false;
    options.images = {writeImage(folder).string()};
    const DriveList drives(options);
    std::printf("image track read, plain:    %.0fx real time\n",
                timesRealTime(drives, ReadMode::Plain));
    std::printf("image track read, verified: %.0fx real time\n",
                timesRealTime(drives, ReadMode::Verified));
    fs::remove_all(folder);
    return 0;
}
