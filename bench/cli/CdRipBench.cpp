// Rips a three-minute track of a CUE/BIN image with `melodux-cli cd rip`
// (chain, writer, library filing and all) to WAVE and, when this build has
// the MP3 writer, to MP3; the peers sox and lame write the same audio from
// the raw track. Runs alternate between ours and the peer, best of several
// rounds; prints wall and CPU seconds and the speed as a multiple of real
// time.
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/MusicImage.h"
#include "support/PrivateFolders.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kTrackSectors = 13500;  // three minutes
constexpr double kTrackSeconds = kTrackSectors / 75.0;
constexpr int kRounds = 3;

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
    bool ok = true;
};

// Runs the command once and keeps the best times seen.
void timeOnce(const std::string& command, Timing& best) {
    const double cpuBefore = childCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    best.ok = best.ok && status == 0;
    best.wall = std::min(best.wall, wall);
    best.cpu = std::min(best.cpu, childCpuSeconds() - cpuBefore);
}

void report(const char* name, const Timing& t) {
    if (!t.ok) {
        std::printf("%-28s failed\n", name);
        return;
    }
    std::printf("%-28s wall %6.2f s (%5.0fx real time)  cpu %6.2f s (%5.0fx)\n", name, t.wall,
                kTrackSeconds / t.wall, t.cpu, kTrackSeconds / t.cpu);
}

void compare(const char* ours, const std::string& ourCommand, const char* peer,
             const std::string& peerCommand) {
    Timing a, b;
    for (int round = 0; round < kRounds; ++round) {
        timeOnce(ourCommand, a);
        timeOnce(peerCommand, b);
    }
    report(ours, a);
    report(peer, b);
}

void setEnvironment(const fs::path& folder) {
    benchsupport::usePrivateFolders(folder);
    setenv("MELODUX_CD_IMAGES", (folder / "bench.cue").c_str(), 1);
}

}  // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "melodux-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const fs::path folder = pattern;
    benchsupport::writeMusicImage(folder, "bench", {kTrackSectors});
    setEnvironment(folder);
    const std::string rip = std::string(MELODUX_CLI) + " cd rip --tracks 1 --to '" +
                            (folder / "music").string() + "' --format ";
    const std::string raw = "'" + (folder / "bench.bin").string() + "'";
    const std::string out = "'" + (folder / "peer").string();

    compare("melodux-cli cd rip (WAVE)", rip + "wav", "sox raw -> WAVE",
            "sox -t raw -r 44100 -e signed -b 16 -c 2 " + raw + " " + out + ".wav'");
    if (std::system((rip + "mp3 >/dev/null 2>&1").c_str()) == 0) {
        compare("melodux-cli cd rip (MP3)", rip + "mp3", "lame raw -> MP3 128 kbps",
                "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -b 128 " + raw +
                    " " + out + ".mp3'");
    } else {
        std::printf("melodux-cli cd rip (MP3)     not measured: this build has no MP3 writer\n");
    }
    fs::remove_all(folder);
    return 0;
}
