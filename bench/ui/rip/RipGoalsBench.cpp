// Rips a ten-track CUE/BIN image to MP3 (quality 2, 128 kbit/s) with the
// recording panel's job runner (RecordingRun, one entry per usable
// processor, filing through RecordingFiler as the panel does), named from
// a local CD database entry, polled every 100 ms as the panel's timer does.
// Prints wall and CPU time as multiples of real time, the longest wait
// between two moves of the run's progress, and how long the UI thread
// would be held by a progress read and by a poll. Then checks, untimed: the names, the tags, the
// library records and that each MP3 decodes within 1 LSB of the same track
// ripped to WAVE, encoded by `melodux-cli convert` and decoded by
// `melodux-cli decode`. Exit status 1 when a check fails.
// Usage: rip_goals_bench [--keep]   (run under taskset to choose the cores)
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/AppSettings.h"
#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/LibrarySession.h"
#include "app/RecordingFiler.h"
#include "app/RecordingRun.h"
#include "app/RipNaming.h"
#include "app/StreamTagAccess.h"
#include "cdinfo/CCdda.h"
#include "cdinfo/DiscToc.h"
#include "cdinfo/LocalCdDb.h"
#include "mp3/enc/Mp3WriterSettings.h"
#include "platform/Processors.h"
#include "platform/Registry.h"
#include "platform/cd/DriveList.h"
#include "stream/CNxSSManager.h"
#include "stream/RegistryFunctions.h"
#include "support/MusicImage.h"
#include "support/PrivateFolders.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTracks = 10;
constexpr auto kPollPeriod = std::chrono::milliseconds(100);  // the panel's timer
const std::string kAlbum = "速度試験";
const std::string kArtist = "ベンチ楽団";

// 60 s, 70 s, ... 150 s: 17.5 minutes in all.
std::vector<uint32_t> trackSectors() {
    std::vector<uint32_t> sectors;
    for (int i = 0; i < kTracks; ++i) {
        sectors.push_back(75 * (60 + 10 * i));
    }
    return sectors;
}

std::string trackTitle(int i) {
    return "曲" + std::to_string(i + 1);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Track numbers first, then titles, in an album folder; MP3 at quality 2
// (high), 128 kbit/s.
void writeSettings(const fs::path& music) {
    const std::string musicPath = music.string();
    nxss::WriteDword(app::kSettingsSection, "FileNameType1", 3);
    nxss::WriteDword(app::kSettingsSection, "FileNameType2", 2);
    nxss::WriteDword(app::kSettingsSection, "DirNameType", 1);
    nxss::WriteString(app::kSettingsSection, "DefaultMusicPath", &musicPath);
    nxss::WriteDword(mp3::enc::kMp3WriterSettingsKey, "Quality", 2);
    nxss::WriteDword(mp3::enc::kMp3WriterSettingsKey, "Bitrate", 128000);
}

void storeDiscEntry(const std::vector<uint32_t>& sectors) {
    cdinfo::DiscToc toc;
    uint32_t at = 150;
    for (uint32_t length : sectors) {
        toc.offsets.push_back(at);
        at += length;
    }
    toc.leadOut = at;
    cdinfo::CddbEntry entry;
    entry.offsets = toc.offsets;
    entry.discSeconds = toc.discSeconds();
    entry.discIds = {cdinfo::freedbDiscId(toc)};
    entry.artist = kArtist;
    entry.title = kAlbum;
    for (int i = 0; i < kTracks; ++i) {
        entry.tracks.push_back({trackTitle(i), "", ""});
    }
    cdinfo::LocalCdDb(cdinfo::LocalCdDb::defaultRoot()).store(entry.discIds[0], entry, "rock");
}

// The list as the panel builds it from the disc information.
std::vector<app::RecordingEntry> discEntries(const cdinfo::CDiscID& disc,
                                             const std::vector<std::string>& paths) {
    std::vector<app::RecordingEntry> entries;
    for (size_t i = 0; i < disc.tracks.size(); ++i) {
        app::RecordingEntry entry;
        entry.cdTrack = true;
        entry.trackIndex = static_cast<int>(i);
        entry.trackNumber = disc.TrackNumber(i);
        entry.title = disc.tracks[i].title;
        entry.lengthSeconds = static_cast<int32_t>(disc.tracks[i].frames / 75);
        entry.outputPath = paths[i];
        entry.selection = app::RecordingEntry::kSelected;
        entries.push_back(entry);
    }
    return entries;
}

struct RunFigures {
    double wall = 0;
    double cpu = 0;
    double longestStill = 0;  // between two moves of the run's progress
    double longestPoll = 0;   // taking outcomes, filing, starting the next entries
    double longestRead = 0;   // reading the progress
    std::vector<size_t> filed;
};

// Follows the run as the panel's timer does.
void follow(app::RecordingRun& run, RunFigures& figures) {
    int64_t lastTotal = -1;
    auto lastMove = Clock::now();
    for (auto tick = Clock::now(); run.running();) {
        tick += kPollPeriod;
        std::this_thread::sleep_until(tick);
        const auto before = Clock::now();
        run.poll();
        const auto polled = Clock::now();
        const app::RecordingRun::Progress at = run.progress();
        const auto after = Clock::now();
        figures.longestPoll = std::max(figures.longestPoll, seconds(polled - before));
        figures.longestRead = std::max(figures.longestRead, seconds(after - polled));
        if (const int64_t total = at.finishedMs + at.writingMs; total != lastTotal) {
            figures.longestStill = std::max(figures.longestStill, seconds(after - lastMove));
            lastMove = after;
            lastTotal = total;
        }
    }
}

// Into `entries`' paths, filing each finished file as the panel does when
// `db` is given.
RunFigures rip(const app::Engine& engine, std::vector<app::RecordingEntry>& entries,
               int32_t sinkKind, const std::string& drive, const cdinfo::CDiscID& disc,
               mdb::MusicDatabase* db) {
    RunFigures figures;
    app::RecordingRun::Hooks hooks;
    hooks.askRecordedAgain = [](const app::RecordingEntry&) {
        return app::RecordingRun::Question{app::RecordingRun::Answer::Yes, true};
    };
    hooks.finished = [&](size_t index) {
        figures.filed.push_back(index);
        if (db != nullptr) {
            mdb::MusicInfo record =
                app::rippedTrackRecord(disc, entries[index].trackIndex, entries[index].outputPath);
            record.title = entries[index].title;
            app::fileRecording(*db, record);
        }
    };
    hooks.changed = [](size_t) {};
    hooks.ended = [] {};
    app::RecordingRun run(
        engine, entries,
        [&](const app::RecordingEntry& entry) {
            return drive + "\\Track" + std::to_string(entry.trackNumber) + ".cda";
        },
        hooks);
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    run.start(sinkKind, platform::usableProcessors());
    follow(run, figures);
    figures.wall = seconds(Clock::now() - start);
    figures.cpu = cpuSeconds() - cpuBefore;
    return figures;
}

std::vector<int16_t> waveSamples(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 |
                              static_cast<uint32_t>(bytes[at + 7]) << 24;
        if (std::string(bytes.begin() + long(at), bytes.begin() + long(at) + 4) == "data") {
            std::vector<int16_t> samples(std::min<size_t>(size, bytes.size() - at - 8) / 2);
            for (size_t i = 0; i < samples.size(); ++i) {
                samples[i] =
                    static_cast<int16_t>(bytes[at + 8 + 2 * i] | bytes[at + 9 + 2 * i] << 8);
            }
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

bool cli(const std::string& arguments) {
    return std::system((std::string(MELODUX_CLI) + " " + arguments + " >/dev/null 2>&1").c_str()) ==
           0;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The largest difference between our MP3 decoded and the WAVE rip encoded
// and decoded by the command line; -1 when a step failed or the lengths
// differ.
int largestDifference(const fs::path& ours, const fs::path& wave, const fs::path& work) {
    const fs::path peer = work / "peer.mp3", ourPcm = work / "ours.wav",
                   peerPcm = work / "peer.wav";
    if (!cli("convert " + quoted(wave) + " " + quoted(peer) + " --bitrate 128 --quality 2") ||
        !cli("decode " + quoted(ours) + " " + quoted(ourPcm)) ||
        !cli("decode " + quoted(peer) + " " + quoted(peerPcm))) {
        return -1;
    }
    const std::vector<int16_t> a = waveSamples(ourPcm), b = waveSamples(peerPcm);
    if (a.size() != b.size() || a.empty()) {
        return -1;
    }
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    }
    return largest;
}

class Checks {
  public:
    void expect(bool ok, const std::string& what) {
        if (!ok) {
            std::printf("FAILED: %s\n", what.c_str());
            ++failed_;
        }
    }
    int failed() const { return failed_; }

  private:
    int failed_ = 0;
};

void checkTrack(const app::Engine& engine, mdb::MusicDatabase& db, const fs::path& music,
                const app::RecordingEntry& entry, int i, Checks& checks) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d - ", i + 1);
    const fs::path expected = music / kAlbum / (name + trackTitle(i) + ".mp3");
    checks.expect(entry.outputPath == expected.string() && fs::exists(expected),
                  "track " + std::to_string(i + 1) + " written to " + expected.string());
    checks.expect(entry.status == app::RecordingEntry::kRecorded, "track recorded");
    const auto tag = app::StreamTagAccess(engine.catalog()).read(entry.outputPath);
    checks.expect(tag && tag->title == trackTitle(i) && tag->album == kAlbum &&
                      tag->artist == kArtist && tag->track == uint32_t(i + 1),
                  "tag of " + entry.outputPath);
    const auto guard = db.lock();
    bool filed = false;
    for (size_t k = 0; k < db.library().count(); ++k) {
        const mdb::MusicInfo info = db.library().itemAt(k)->getInfo();
        filed = filed ||
                (info.path == entry.outputPath && info.title == trackTitle(i) &&
                 info.album == kAlbum && info.artist == kArtist && info.track == uint32_t(i + 1));
    }
    checks.expect(filed, "library record of " + entry.outputPath);
}

void report(const char* name, const RunFigures& run, double audioSeconds) {
    std::printf("%-22s wall %6.2f s (%5.1fx real time)  cpu %6.2f s (%5.1fx)\n", name, run.wall,
                audioSeconds / run.wall, run.cpu, audioSeconds / run.cpu);
}

int runBench(const fs::path& folder) {
    const std::vector<uint32_t> sectors = trackSectors();
    benchsupport::usePrivateFolders(folder);
    setenv("MELODUX_CD_IMAGES", benchsupport::writeMusicImage(folder, "rip", sectors).c_str(), 1);
    writeSettings(folder / "music");
    storeDiscEntry(sectors);
    const app::Engine engine;
    app::LibrarySession session(app::libraryFolder(),
                                std::make_shared<app::StreamTagAccess>(engine.catalog()),
                                (app::dataFolder() / "genre.dat").string());
    // The image comes after any real drive.
    const platform::cd::DriveList drives(platform::cd::DriveList::systemOptions());
    const std::string drive = std::string(1, drives.drives().back().letter()) + ":";
    cdinfo::CCdda cdda;
    cdinfo::CDiscID disc;
    if (cdda.GetLocalDiscInfo(drive, disc) != cdinfo::kCddaOk || disc.title != kAlbum) {
        std::printf("the local CD database entry was not found\n");
        return 2;
    }
    const auto rules = cdinfo::NamingRules::fromSettings(platform::Registry::instance());
    std::vector<app::RecordingEntry> entries =
        discEntries(disc, app::ripOutputPaths(disc, rules, "mp3"));
    double audioSeconds = 0;
    for (const app::RecordingEntry& entry : entries) {
        audioSeconds += entry.lengthSeconds;
    }

    const RunFigures mp3 = rip(engine, entries, CNxSSManager::kSinkMp3, drive, disc, &session.db());
    std::printf("%d tracks, %.0f s of audio, %zu entries at once\n", kTracks, audioSeconds,
                platform::usableProcessors());
    report("rip to MP3 q2 128k", mp3, audioSeconds);
    std::printf("longest wait between progress moves %.0f ms (goal <= 250)\n",
                mp3.longestStill * 1000);
    std::printf(
        "UI thread: longest progress read %.1f ms, longest poll %.1f ms (filing, next chain)\n",
        mp3.longestRead * 1000, mp3.longestPoll * 1000);

    Checks checks;
    std::vector<size_t> inOrder;
    for (size_t i = 0; i < entries.size(); ++i) {
        inOrder.push_back(i);
        checkTrack(engine, session.db(), folder / "music", entries[i], static_cast<int>(i), checks);
    }
    checks.expect(mp3.filed == inOrder, "filed in list order");

    auto waves = discEntries(disc, app::ripOutputPaths(disc, rules, "wav"));
    const RunFigures wave = rip(engine, waves, CNxSSManager::kSinkWave, drive, disc, nullptr);
    int largest = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int difference =
            largestDifference(entries[i].outputPath, waves[i].outputPath, folder);
        checks.expect(difference >= 0 && difference <= 1,
                      "track " + std::to_string(i + 1) +
                          " decodes within 1 LSB of the CLI's MP3 (" + std::to_string(difference) +
                          ")");
        largest = std::max(largest, difference);
    }
    report("rip to WAVE", wave, audioSeconds);
    std::printf("largest difference from the CLI's encoding, decoded: %d LSB\n", largest);
    std::printf("checks: %s\n", checks.failed() == 0 ? "all passed" : "FAILED");
    return checks.failed() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (fs::temp_directory_path() / "melodux-rip-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 2;
    }
    const fs::path folder = pattern;
    const int status = runBench(folder);
    if (argc > 1 && std::string(argv[1]) == "--keep") {
        std::printf("kept %s\n", folder.c_str());
    } else {
        fs::remove_all(folder);
    }
    return status;
}
