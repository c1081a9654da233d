#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mdb/ChangeNotifier.h"
#include "mdb/FileOps.h"
#include "mdb/GenreTable.h"
#include "mdb/MusicDatabase.h"
#include "mdb/MusicItem.h"
#include "mdb/TagAccess.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace mdbtest {

// A fresh temporary folder whose paths are plain strings.
class TempDir : public testsupport::TempDir {
  public:
    std::string path() const { return testsupport::TempDir::path().string(); }
    std::string operator/(const std::string& name) const { return path() + "/" + name; }
};

// The what() of the `E` that `call` throws; fails the test when it throws none.
template <class E, class Call>
std::string thrownText(Call&& call) {
    try {
        call();
    } catch (const E& e) {
        return e.what();
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

// The titles of a list's items, in order.
template <class List>
std::vector<std::string> titlesOf(List& list) {
    std::vector<std::string> out;
    for (size_t i = 0; i < list.count(); ++i) {
        out.push_back(list.itemAt(i)->getTitle());
    }
    return out;
}

using testsupport::readText;
using testsupport::writeText;

// Music files that exist only in memory: a tag, a modification time, and
// switches for unreadable and read-only files.
class FakeTags : public mdb::TagAccess {
  public:
    // Files start with a fixed time in the past, so that saves repeat
    // byte for byte and edits are always newer.
    static constexpr int64_t kBaseTime = 1600000000;

    struct File {
        mdb::TagInfo tag;
        int64_t modified = 0;
        uint64_t size = 1000;
        bool readable = true;
        bool writable = true;
    };

    File& add(const std::string& path, const std::string& title = "") {
        File& file = files[path];
        file.tag.title = title;
        file.modified = kBaseTime;
        return file;
    }

    std::optional<mdb::TagInfo> read(const std::string& path) override {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end() || !it->second.readable) {
            return std::nullopt;
        }
        return it->second.tag;
    }

    mdb::TagWriteResult write(const std::string& path, const mdb::TagEdit& edit) override {
        edits.push_back({path, edit});
        const auto it = files.find(path);
        if (it == files.end() || !it->second.readable) {
            return mdb::TagWriteResult::Unreadable;
        }
        if (!it->second.writable) {
            return mdb::TagWriteResult::WriteFailed;
        }
        apply(it->second.tag, edit);
        it->second.modified = mdb::currentTime();
        return mdb::TagWriteResult::Written;
    }

    std::optional<mdb::FileStatus> status(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end()) {
            return std::nullopt;
        }
        return mdb::FileStatus{it->second.size, it->second.modified};
    }

    std::map<std::string, File> files;
    std::vector<std::pair<std::string, mdb::TagEdit>> edits;
    int reads = 0;

  private:
    static void apply(mdb::TagInfo& tag, const mdb::TagEdit& edit) {
        tag.title = edit.title.value_or(tag.title);
        tag.artist = edit.artist.value_or(tag.artist);
        tag.album = edit.album.value_or(tag.album);
        tag.year = edit.year.value_or(tag.year);
        tag.genre = edit.genre.value_or(tag.genre);
        if (edit.commentTrack) {
            tag.comment = edit.commentTrack->comment;
            tag.track = edit.commentTrack->track;
        }
    }
};

// Records every event it is told.
class Recorder : public mdb::ChangeListener {
  public:
    void onChange(const mdb::ChangeEvent& event) override { events.push_back(event); }
    std::vector<mdb::ChangeKind> kinds() const {
        std::vector<mdb::ChangeKind> out;
        for (const auto& event : events) {
            out.push_back(event.kind);
        }
        return out;
    }
    std::vector<mdb::ChangeEvent> events;
};

// A database over fake music files with the usual extensions registered.
struct Fixture {
    explicit Fixture(std::shared_ptr<mdb::FileOps> fileOps = std::make_shared<mdb::PosixFileOps>())
        : tags(std::make_shared<FakeTags>()),
          genres(std::make_shared<mdb::GenreTable>()),
          db(std::make_unique<mdb::MusicDatabase>(tags, genres, std::move(fileOps))) {
        for (const char* extension : {"mp3", "rmp", "wav", "wma"}) {
            db->library().addExtension(extension);
        }
    }

    mdb::MusicInfo record(const std::string& path, const std::string& title = "",
                          const std::string& artist = "", const std::string& album = "") {
        mdb::MusicInfo info;
        info.path = path;
        info.title = title;
        info.artist = artist;
        info.album = album;
        return info;
    }

    // Adds a fake file and its library item.
    mdb::MusicItem* addItem(const std::string& path, const std::string& title = "",
                            const std::string& artist = "", const std::string& album = "") {
        FakeTags::File& file = tags->add(path, title);
        file.tag.artist = artist;
        file.tag.album = album;
        mdb::MusicInfo info = record(path, title, artist, album);
        info.modified = static_cast<uint32_t>(file.modified);
        const size_t index = db->library().add(info, false);
        return db->library().itemAt(index);
    }

    std::shared_ptr<FakeTags> tags;
    std::shared_ptr<mdb::GenreTable> genres;
    std::unique_ptr<mdb::MusicDatabase> db;
};

}  // namespace mdbtest
