#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppSettings.h"
#include "app/ConversionJob.h"
#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/LibrarySession.h"
#include "app/MusicFiles.h"
#include "app/RecordingFiler.h"
#include "app/RipNaming.h"
#include "app/StreamTagAccess.h"
#include "app/WriterPage.h"
#include "cdinfo/CCdda.h"
#include "cli/CdSupport.h"
#include "cli/CliOptions.h"
#include "cli/JobProgress.h"
#include "cli/StopSignals.h"
#include "cli/TrackList.h"
#include "platform/Registry.h"
#include "stream/ErrorText.h"
#include "stream/RegistryFunctions.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: melodux-cli cd rip [--drive D:] [--tracks 1,3-5] [--format mp3|wav|wma] [--to DIR]\n"
    "Rips the disc's audio tracks (all, or those listed) into the music folder\n"
    "(the DefaultMusicPath setting, or DIR), named by the naming settings and the\n"
    "titles the local CD database holds, and files them into the library.\n"
    "Without --tracks, tracks whose file exists already are left alone.\n";

constexpr uint32_t kNoWriterSetting = 0xFFFFFFFF;

struct RipFormat {
    const char* name;
    int32_t sinkKind;
    const char* extension;
};
constexpr RipFormat kFormats[] = {{"mp3", CNxSSManager::kSinkMp3, "mp3"},
                                  {"wav", CNxSSManager::kSinkWave, "wav"},
                                  {"wma", CNxSSManager::kSinkWma, "wma"}};

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void say(const std::string& text) {
    std::fprintf(stderr, "melodux-cli: cd rip: %s\n", text.c_str());
}

void printFailure(const std::string& label, uint32_t code, const std::string& reason = {}) {
    std::fprintf(stderr, "melodux-cli: cd rip: %s: error 0x%08X %s\n", label.c_str(), code,
                 GetErrorText(code).c_str());
    if (!reason.empty()) {
        say(reason);
    }
}

// The saved settings of the writer in words; nothing, after saying why,
// when this program has no such writer or the writer refuses them.
std::optional<std::string> describeWriter(int32_t sinkKind) {
    const auto check = app::checkWriter(engine(), sinkKind);
    if (!check) {
        say("this program cannot write files of that format");
        return std::nullopt;
    }
    if (check->code != 0) {
        printFailure(check->reason.empty() ? "writer" : "format", check->code, check->reason);
        return std::nullopt;
    }
    return check->description;
}

// --format, else the recording format of the settings when one is stored,
// else WAVE, which every build can write.
const RipFormat* chooseFormat(const CliOptions& o) {
    const auto name = o.value("--format");
    const uint32_t kind = nxss::ReadDword(app::kSettingsSection, "CurrentWriter", kNoWriterSetting);
    for (const RipFormat& format : kFormats) {
        if (name ? *name == format.name : static_cast<int32_t>(kind) == format.sinkKind) {
            return &format;
        }
    }
    return name ? nullptr : &kFormats[1];
}

cdinfo::NamingRules namingRules(const CliOptions& o) {
    auto rules = cdinfo::NamingRules::fromSettings(platform::Registry::instance());
    // The library takes absolute paths only.
    rules.musicPath = app::absolutePath(o.value("--to").value_or(rules.musicPath));
    return rules;
}

// --drive, else the drive the settings name, else the first drive.
std::string driveText(const CliOptions& o) {
    return o.value("--drive").value_or(nxss::ReadString(app::kSettingsSection, "CDDrive", ""));
}

std::vector<std::string> genreNames(const mdb::GenreTable& table) {
    std::vector<std::string> names;
    for (uint32_t genre = 0; genre < table.count(); ++genre) {
        names.push_back(table.name(genre));
    }
    return names;
}

// One run over the disc in one drive.
class CdRipJob {
  public:
    CdRipJob(app::LibrarySession& session, const platform::cd::CdDrive& drive,
             const RipFormat& format, cdinfo::NamingRules rules)
        : session_(session), drive_(drive), format_(format), rules_(std::move(rules)) {
        cdda_.SetgenreTable(genreNames(session.db().genres()));
    }

    int run(const std::optional<std::string>& trackList);

  private:
    int readDisc();
    std::optional<std::vector<int>> selectTracks(const std::optional<std::string>& trackList);
    std::optional<size_t> indexOf(int number) const;
    int lastNumber() const { return disc_.tracks.back().number; }
    int ripAll(const std::vector<int>& tracks);
    bool wanted(int track);
    bool ripOne(int track);
    enum class Ripped { Finished, Failed, Interrupted };
    Ripped ripTrack(int track, const std::string& path, const std::string& label);
    bool makeFolder(const std::filesystem::path& folder);
    void dropEmptyFolders();
    void fileTrack(size_t index);
    void storeState(size_t index, int state);

    app::LibrarySession& session_;
    const platform::cd::CdDrive& drive_;
    const RipFormat& format_;
    const cdinfo::NamingRules rules_;
    const StopSignals stop_;
    cdinfo::CCdda cdda_;
    cdinfo::CDiscID disc_;
    std::vector<std::string> paths_;
    bool listed_ = false;  // tracks named on the command line are ripped again
    std::vector<std::filesystem::path> madeFolders_;  // deepest first
    int ripped_ = 0, skipped_ = 0, failed_ = 0;
};

int CdRipJob::run(const std::optional<std::string>& trackList) {
    if (const int rc = readDisc()) {
        return rc;
    }
    const auto tracks = selectTracks(trackList);
    if (!tracks) {
        return 2;
    }
    const auto description = describeWriter(format_.sinkKind);
    if (!description) {
        return 1;
    }
    paths_ = app::ripOutputPaths(disc_, rules_, format_.extension);
    if (paths_.empty()) {
        say("no music folder is set (DefaultMusicPath, or --to DIR)");
        return 1;
    }
    std::fprintf(stderr, "format: %s\n", description->c_str());
    return ripAll(*tracks);
}

int CdRipJob::readDisc() {
    const std::string drive(1, drive_.letter());
    const uint32_t found = cdda_.GetLocalDiscInfo(drive + ":", disc_);
    if (found == cdinfo::kCddaNotFound) {
        cdda_.ReadLocalDB(disc_);  // the states of earlier rips, when any
        say("the CD database has no titles for disc " + cdinfo::discIdText(disc_.discId) +
            "; tracks are named TrackNN ('melodux-cli cddb lookup' fetches titles)");
    } else if (found != cdinfo::kCddaOk) {
        say(std::string("no audio disc in ") + drive + ":");
        return 1;
    }
    return 0;
}

std::optional<std::vector<int>> CdRipJob::selectTracks(const std::optional<std::string>& list) {
    listed_ = list.has_value();
    const std::string all =
        std::to_string(disc_.tracks.front().number) + "-" + std::to_string(lastNumber());
    std::vector<int> tracks;
    try {
        tracks = parseTrackList(list.value_or(all), lastNumber());
    } catch (const std::invalid_argument& e) {
        say(std::string("--tracks: ") + e.what());
        return std::nullopt;
    }
    for (int track : tracks) {
        const auto index = indexOf(track);
        if (!index) {
            say("--tracks: the disc has no track " + std::to_string(track) + " (it has " + all +
                ")");
            return std::nullopt;
        }
        if (listed_ && !disc_.tracks[*index].audio) {
            say("track " + std::to_string(track) + " is a data track; only audio tracks rip");
            return std::nullopt;
        }
    }
    return tracks;
}

// Tracks go by the disc's own numbers, as `cd toc` lists them.
std::optional<size_t> CdRipJob::indexOf(int number) const {
    for (size_t i = 0; i < disc_.tracks.size(); ++i) {
        if (disc_.tracks[i].number == number) {
            return i;
        }
    }
    return std::nullopt;
}

int CdRipJob::ripAll(const std::vector<int>& tracks) {
    for (int track : tracks) {
        if (stop_.requested() || (wanted(track) && !ripOne(track))) {
            break;
        }
    }
    dropEmptyFolders();
    std::fprintf(stderr, "%d ripped, %d skipped, %d failed\n", ripped_, skipped_, failed_);
    if (stop_.requested()) {
        say("interrupted");
        return stop_.exitCode();
    }
    return failed_ == 0 ? 0 : 1;
}

// Data tracks, and without a track list the tracks ripped before, are left.
bool CdRipJob::wanted(int track) {
    const size_t index = *indexOf(track);
    if (!disc_.tracks[index].audio) {
        std::fprintf(stderr, "track %d: a data track, left out\n", track);
        return false;
    }
    std::error_code ec;
    if (!listed_ && std::filesystem::exists(paths_[index], ec)) {
        std::fprintf(stderr, "track %d: %s exists; name the track with --tracks to rip it again\n",
                     track, paths_[index].c_str());
        ++skipped_;
        return false;
    }
    return true;
}

// False when the run cannot go on.
bool CdRipJob::ripOne(int track) {
    const size_t index = *indexOf(track);
    const std::string& path = paths_[index];
    if (!makeFolder(std::filesystem::path(path).parent_path())) {
        ++failed_;
        return false;
    }
    disc_.tracks[index].outputPath = path;
    const std::string label = "track " + std::to_string(track) + "/" + std::to_string(lastNumber());
    std::fprintf(stderr, "%s: %s\n", label.c_str(), path.c_str());
    switch (ripTrack(track, path, label)) {
        case Ripped::Finished:
            fileTrack(index);
            return true;
        case Ripped::Failed:
            ++failed_;
            storeState(index, 3);
            return true;
        case Ripped::Interrupted:
            storeState(index, 3);
            return false;
    }
    return false;
}

// One track into its file, with a progress line; failures are printed.
CdRipJob::Ripped CdRipJob::ripTrack(int track, const std::string& path, const std::string& label) {
    app::ConversionJob job(engine(), trackName(drive_, track), path, format_.sinkKind);
    if (const uint32_t rc = job.open()) {
        printFailure(label, rc);
        return Ripped::Failed;
    }
    JobProgress progress(label);
    const auto outcome = job.run([&](const app::ConversionJob::Progress& at) {
        if (stop_.requested()) {
            job.cancel();
        }
        progress.show(at.positionMs, at.lengthMs);
    });
    switch (outcome.state) {
        case app::ConversionJob::State::Finished:
            progress.show(job.progress().lengthMs, job.progress().lengthMs);
            return Ripped::Finished;
        case app::ConversionJob::State::Cancelled:
            return Ripped::Interrupted;
        default:
            progress.end();
            printFailure(label, outcome.code, outcome.reason);
            return Ripped::Failed;
    }
}

// Remembers the folders it makes, so that a run that writes nothing into
// them leaves none behind.
bool CdRipJob::makeFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::vector<std::filesystem::path> missing;
    for (auto at = folder; !at.empty() && !std::filesystem::exists(at, ec); at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) {
            break;
        }
    }
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        say("cannot make the folder " + folder.string() + ": " + ec.message());
        return false;
    }
    madeFolders_.insert(madeFolders_.end(), missing.begin(), missing.end());
    return true;
}

void CdRipJob::dropEmptyFolders() {
    for (const auto& folder : madeFolders_) {
        std::error_code ec;
        std::filesystem::remove(folder, ec);  // only an empty folder goes
    }
}

// Into the library (saved at once, so a later failure keeps it) and into
// the disc's stored states.
void CdRipJob::fileTrack(size_t index) {
    const std::string& path = paths_[index];
    ++ripped_;
    std::printf("%d\t%s\n", disc_.tracks[index].number, path.c_str());
    std::fflush(stdout);
    storeState(index, 2);
    try {
        const auto record = app::rippedTrackRecord(disc_, static_cast<int>(index), path);
        if (app::fileRecording(session_.db(), record) == nullptr) {
            say(path + ": the library does not take files of this type");
        }
        session_.saveIfModified();
    } catch (const std::exception& e) {
        say("cannot file " + path + " into the library: " + e.what());
        ++failed_;
    }
}

void CdRipJob::storeState(size_t index, int state) {
    disc_.tracks[index].state = state;
    if (cdda_.WriteLocalDB(disc_) != cdinfo::kCddaOk) {
        say("the local CD database cannot be written; the track's state is not kept");
    }
}

}  // namespace

int runCdRip(const Args& args) {
    const auto o = CliOptions::parse(args, {"--drive", "--tracks", "--format", "--to"});
    if (!o || !o->positional().empty() || o->value("--to") == "") {
        return usage();
    }
    const RipFormat* format = chooseFormat(*o);
    if (format == nullptr) {
        say("unknown format '" + o->value("--format").value_or("") + "' (mp3, wav or wma)");
        return 2;
    }
    const cdinfo::NamingRules rules = namingRules(*o);
    if (!app::namesTellTracksApart(rules)) {
        say("ファイル命名規則には必ずTitleまたはTrackNoが必要です。 (FileNameType1..4)");
        return 1;
    }
    const platform::cd::DriveList drives(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = drives.find(driveText(*o));
    if (drive == nullptr) {
        const std::string text = driveText(*o);
        say("no CD drive " + (text.empty() ? std::string("on this computer") : text));
        return 1;
    }
    std::unique_ptr<app::LibrarySession> session;
    try {
        session = std::make_unique<app::LibrarySession>(
            app::libraryFolder(), std::make_shared<app::StreamTagAccess>(engine().catalog()),
            (app::dataFolder() / "genre.dat").string());
    } catch (const std::exception& e) {
        say(std::string("cannot open the library: ") + e.what());
        return 1;
    }
    return CdRipJob(*session, *drive, *format, rules).run(o->value("--tracks"));
}

}  // namespace cli
