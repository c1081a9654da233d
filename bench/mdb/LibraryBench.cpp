// Times the database at the scale of a large collection: 100 000 generated
// items saved, loaded, sorted, searched and synchronised, and 10 000 real
// MP3 files with ID3v1 tags added through the program's MP3 reader. Prints
// one line per measurement.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>

#include "app/LibraryAutosave.h"
#include "app/StreamTagAccess.h"
#include "mdb/MusicDatabase.h"
#include "mdb/RecordIO.h"
#include "mdb/SaveSnapshot.h"
#include "mp3/reader/Mp3ReaderComponents.h"

namespace {

constexpr size_t kItems = 100000;
constexpr size_t kFiles = 10000;

// Tags of generated items, kept in memory; file status answers from the
// same table so that synchronisation runs without touching 100 000 files.
class GeneratedTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string& path) override {
        const auto it = tags.find(path);
        return it == tags.end() ? std::nullopt : std::optional(it->second);
    }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Written;
    }
    std::optional<mdb::FileStatus> status(const std::string& path) override {
        const auto it = times.find(path);
        if (it == times.end()) {
            return std::nullopt;
        }
        return mdb::FileStatus{4000000, it->second};
    }
    std::unordered_map<std::string, mdb::TagInfo> tags;
    std::unordered_map<std::string, int64_t> times;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this process: on a shared machine the wall time also
// counts the time other programs held the processor.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Timing {
    double wall;
    double cpu;
};

long statusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(key));
        }
    }
    return -1;
}

template <typename F>
Timing timed(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    work();
    return Timing{secondsSince(start), cpuSeconds() - cpuStart};
}

void report(const char* what, Timing t, const char* goal) {
    std::printf("%-44s %9.1f ms wall %9.1f ms cpu   (goal %s)\n", what, t.wall * 1000.0,
                t.cpu * 1000.0, goal);
}

std::string word(std::mt19937& random) {
    static const char* const kWords[] = {"love", "night", "rain",  "Blue",  "city",  "Dream",
                                         "fire", "river", "Heart", "light", "ghost", "summer",
                                         "東京", "夜",    "Moon",  "road",  "echo",  "golden"};
    return kWords[random() % std::size(kWords)];
}

void generate(GeneratedTags& tags, mdb::MusicDatabase& db) {
    std::mt19937 random(42);
    for (size_t i = 0; i < kItems; ++i) {
        const size_t artist = random() % 4000;
        const size_t album = artist * 4 + random() % 4;
        mdb::MusicInfo info;
        info.artist = "Artist " + std::to_string(artist);
        info.album = "Album " + std::to_string(album);
        info.title = word(random) + " " + word(random) + ", " + std::to_string(i);
        info.path = "/home/user/Music/" + info.artist + "/" + info.album + "/" +
                    std::to_string(i % 20 + 1) + " " + info.title + ".mp3";
        info.genre = static_cast<uint32_t>(random() % 192);
        info.comment = (i % 3 == 0) ? "ripped by \"melodux\"" : "";
        info.year = 1960 + static_cast<uint32_t>(random() % 65);
        info.track = static_cast<uint32_t>(i % 20 + 1);
        info.playTime = 120000 + static_cast<uint32_t>(random() % 300000);
        info.size = 4000000;
        info.modified = 1600000000;
        tags.times[info.path] = info.modified;
        mdb::TagInfo tag;
        tag.title = info.title + " (retagged)";
        tag.artist = info.artist;
        tag.album = info.album;
        tags.tags[info.path] = tag;
        db.library().add(info, false);
    }
}

// Copies of a real MP3 file, each with its own ID3v1 tag.
void writeTaggedFiles(const std::string& dir, std::vector<std::string>& paths) {
    std::ifstream in(MELODUX_MP3_SAMPLE, std::ios::binary);
    const std::string audio((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i < kFiles; ++i) {
        const std::string path = dir + "/track" + std::to_string(i) + ".mp3";
        char tag[128] = {};
        std::memcpy(tag, "TAG", 3);
        std::snprintf(tag + 3, 30, "Song %zu", i);
        std::snprintf(tag + 33, 30, "Band %zu", i % 300);
        std::snprintf(tag + 63, 30, "Record %zu", i % 900);
        std::memcpy(tag + 93, "2001", 4);
        tag[126] = static_cast<char>(i % 20 + 1);
        tag[127] = static_cast<char>(i % 80);
        std::ofstream out(path, std::ios::binary);
        out << audio;
        out.write(tag, sizeof tag);
        paths.push_back(path);
    }
}

std::shared_ptr<mdb::GenreTable> genres() {
    auto table = std::make_shared<mdb::GenreTable>();
    table->load(MELODUX_ASSETS_DIR "/genre.dat");
    return table;
}

void registerExtensions(mdb::MusicDatabase& db) {
    for (const char* extension : {"mp3", "rmp", "wav", "wma"}) {
        db.library().addExtension(extension);
    }
}

// A library file of one 64 MB line: the load refuses the line without
// copying it, so memory grows by about the file's size only.
void loadOneHugeLine(const std::string& dir, const std::shared_ptr<const mdb::GenreTable>& table) {
    const std::string folder = dir + "/huge";
    std::filesystem::create_directory(folder);
    {
        std::ofstream out(folder + "/Library.csv");
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 64; ++i) {
            out << chunk;
        }
        out << "\n";
    }
    const long before = statusKb("VmHWM:");
    mdb::MusicDatabase db(std::make_shared<GeneratedTags>(), table);
    const Timing t = timed([&] { db.load(folder); });
    std::printf("%-44s %9.1f ms wall, peak memory +%ld kB, %zu problem(s)\n",
                "load a library file of one 64 MB line", t.wall * 1000.0,
                statusKb("VmHWM:") - before, db.loadProblems().size());
    std::filesystem::remove_all(folder);
}

// 200 000 M3U lines naming library items, imported into a playlist (each
// resolved against the library) and into a fresh library (tags from memory).
void importLongM3u(const std::string& dir, mdb::MusicDatabase& db,
                   const std::shared_ptr<GeneratedTags>& tags,
                   const std::shared_ptr<const mdb::GenreTable>& table) {
    constexpr size_t kLines = 200000;
    const std::string m3u = dir + "/long.m3u";
    {
        std::ofstream out(m3u);
        for (size_t i = 0; i < kLines; ++i) {
            out << db.library().itemAt(i % db.library().count())->getPath() << "\n";
        }
    }
    std::vector<std::string> failed;
    auto& playlist = db.playlists().create("Long");
    const Timing into = timed([&] { playlist.importReplacing(m3u, mdb::kFormatM3u, failed); });
    std::printf("%-44s %9.0f lines/s (goal >= 100000; %.3f s)\n",
                "M3U of 200k lines into a playlist", kLines / into.wall, into.wall);
    mdb::MusicDatabase fresh(tags, table);
    registerExtensions(fresh);
    const Timing lib =
        timed([&] { fresh.library().importAppending(m3u, mdb::kFormatM3u, failed); });
    std::printf("%-44s %9.0f lines/s (goal >= 100000; %.3f s)\n",
                "M3U of 200k lines into the library", kLines / lib.wall, lib.wall);
    db.playlists().remove("Long");
}

}  // namespace

int main() {
    char pattern[] = "/tmp/mdb-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const auto table = genres();
    auto tags = std::make_shared<GeneratedTags>();
    loadOneHugeLine(dir, table);

    {
        mdb::MusicDatabase db(tags, table);
        registerExtensions(db);
        report("add 100k records (groups built as they go)", timed([&] { generate(*tags, db); }),
               "-");
        for (int p = 0; p < 50; ++p) {
            auto& playlist = db.playlists().create("Playlist " + std::to_string(p));
            for (size_t i = 0; i < 200; ++i) {
                playlist.insert(playlist.count(), db.library().itemAt((p * 1999 + i * 7) % kItems));
            }
        }
        report("save (library + 50 playlists of 200)", timed([&] { db.save(dir); }), "<= 1000 ms");
        // A save off the owner's thread: the snapshot is all the owner waits for.
        db.library().itemAt(0)->setComment("changed");
        std::optional<mdb::SaveSnapshot> snapshot;
        report("  snapshot for a background save, whole", timed([&] {
                   snapshot.emplace(db, dir);
                   snapshot->copyMore(db, SIZE_MAX);
               }),
               "-");
        snapshot.emplace(db, dir);
        report("  one step of the autosave's copy",
               timed([&] { snapshot->copyMore(db, app::LibraryAutosave::kStepEntries); }),
               "<= 16 ms, one frame");
        while (snapshot->copyMore(db, app::LibraryAutosave::kStepEntries) ==
               mdb::SaveSnapshot::Progress::More) {
        }
        report("  writing the snapshot (worker)", timed([&] { snapshot->write(); }), "-");
        snapshot->finish(db, true);
    }

    mdb::MusicDatabase db(tags, table);
    registerExtensions(db);
    report("load 100k items + 50 playlists", timed([&] { db.load(dir); }), "<= 1000 ms");
    std::printf("%-44s %9zu artists, %zu albums, %zu genres\n", "groups after load",
                db.artistGroups().count(), db.albumGroups().count(), db.genreGroups().count());
    std::printf("%-44s %9ld kB (peak %ld kB)\n", "resident memory after load", statusKb("VmRSS:"),
                statusKb("VmHWM:"));

    report("sort by title", timed([&] { db.library().sort(mdb::MusicInfo::Title, true); }),
           "<= 300 ms");
    std::vector<mdb::MusicCriterion> criteria;
    for (const auto type : {mdb::MusicInfo::Path, mdb::MusicInfo::Title, mdb::MusicInfo::Artist,
                            mdb::MusicInfo::Album, mdb::MusicInfo::Comment}) {
        mdb::MusicCriterion c;
        c.path = c.title = c.artist = c.album = c.comment = "GHOST";
        c.mask = type;
        criteria.push_back(c);
    }
    std::vector<mdb::MusicItem*> found;
    report("containment search, all text fields",
           timed([&] { db.library().findAll(criteria, false, found); }), "<= 50 ms");
    std::printf("%-44s %9zu\n", "  items found", found.size());

    importLongM3u(dir, db, tags, table);
    report("synchronize, nothing changed", timed([&] { db.library().synchronize(); }), "-");
    for (size_t i = 0; i < kItems; i += 100) {
        tags->times[db.library().itemAt(i)->getPath()] += 60;
    }
    report("synchronize, 1% retagged", timed([&] { db.library().synchronize(); }), "-");
    report("save after synchronize", timed([&] { db.save(dir); }), "<= 1000 ms");

    std::vector<std::string> paths;
    const std::string musicDir = dir + "/music";
    std::filesystem::create_directory(musicDir);
    writeTaggedFiles(musicDir, paths);
    CNxSSComponentCatalog catalog;
    AddMp3ReaderComponents(catalog);
    mdb::MusicDatabase fresh(std::make_shared<app::StreamTagAccess>(catalog), table);
    registerExtensions(fresh);
    std::vector<size_t> indices;
    const Timing add = timed([&] { fresh.library().addFiles(paths, indices); });
    std::printf("%-44s %9.0f files/s (goal >= 2000; %zu files in %.3f s, %.3f s CPU)\n",
                "addFiles, tagged MP3 files via the reader", kFiles / add.wall, indices.size(),
                add.wall, add.cpu);

    std::filesystem::remove_all(dir);
    return 0;
}
