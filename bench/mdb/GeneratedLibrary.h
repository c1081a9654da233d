#pragma once

// A generated library for benchmarks: `count` items over 4000 artists,
// four albums each, 192 genres, mixed-case ASCII and Japanese titles, with
// reproducible contents. Tags are never read from files.
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "mdb/MusicDatabase.h"

namespace benchlib {

// Files that do not exist: nothing to read, every write succeeds.
class NoFileTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string&) override { return std::nullopt; }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Written;
    }
    std::optional<mdb::FileStatus> status(const std::string&) override { return std::nullopt; }
};

inline std::string generatedWord(std::mt19937& random) {
    static const char* const kWords[] = {"love", "night", "rain",  "Blue",  "city",  "Dream",
                                         "fire", "river", "Heart", "light", "ghost", "summer",
                                         "東京", "夜",    "Moon",  "road",  "echo",  "golden"};
    return kWords[random() % std::size(kWords)];
}

inline mdb::MusicInfo generatedRecord(std::mt19937& random, size_t i) {
    const size_t artist = random() % 4000;
    mdb::MusicInfo info;
    info.artist = "Artist " + std::to_string(artist);
    info.album = "Album " + std::to_string(artist * 4 + random() % 4);
    info.title = generatedWord(random) + " " + generatedWord(random) + ", " + std::to_string(i);
    info.path = "/home/user/Music/" + info.artist + "/" + info.album + "/" +
                std::to_string(i % 20 + 1) + " " + info.title + ".mp3";
    info.genre = static_cast<uint32_t>(random() % 192);
    info.comment = (i % 3 == 0) ? "ripped by \"melodux\"" : "";
    info.year = 1960 + static_cast<uint32_t>(random() % 65);
    info.track = static_cast<uint32_t>(i % 20 + 1);
    info.playTime = 120000 + static_cast<uint32_t>(random() % 300000);
    info.size = 2000000 + static_cast<uint32_t>(random() % 8000000);
    info.modified = 1600000000;
    return info;
}

// Fills `db` (mp3 registered) with `count` items and delivers the changes.
inline void generateLibrary(mdb::MusicDatabase& db, size_t count, uint32_t seed = 42) {
    std::mt19937 random(seed);
    db.library().addExtension("mp3");
    for (size_t i = 0; i < count; ++i) {
        db.library().add(generatedRecord(random, i), false);
    }
    db.flushAll();
}

// A database of `count` generated items with the built-in genre table.
inline std::unique_ptr<mdb::MusicDatabase> generatedDatabase(size_t count, uint32_t seed = 42) {
    auto db = std::make_unique<mdb::MusicDatabase>(std::make_shared<NoFileTags>(),
                                                   std::make_shared<mdb::GenreTable>());
    generateLibrary(*db, count, seed);
    return db;
}

}  // namespace benchlib
