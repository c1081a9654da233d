#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BackgroundWork.h"
#include "mdb/MusicInfo.h"
#include "mdb/TagAccess.h"

namespace app {

// Reads the library records of handed-over files off the owner's thread,
// in shares on the pool, each with a tag access of its own: reading 2000
// files is most of a hand-over, and it must neither hold the window nor
// wait for the library's load. Files the library turns out to hold already
// are struck off while the read runs; they are only looked at.
class HandOverReader {
  public:
    using TagsMaker = std::function<std::shared_ptr<mdb::TagAccess>()>;

    // `known`: files the library holds, not read (empty: none known yet).
    // `done` runs on the owner's thread once every share has been read,
    // never after the reader has gone.
    HandOverReader(std::vector<std::string> files, const std::vector<bool>& known,
                   BackgroundWork& work, const TagsMaker& makeTags, std::function<void()> done);
    ~HandOverReader();
    HandOverReader(const HandOverReader&) = delete;
    HandOverReader& operator=(const HandOverReader&) = delete;

    // From the owner's thread: the library holds the file at `index`.
    void strikeOff(size_t index) { shared_->struck[index] = true; }
    bool finished() const { return shared_->sharesLeft == 0; }
    const std::vector<std::string>& files() const { return shared_->files; }
    // After `done`: whether the file was gone when looked at.
    bool gone(size_t index) const { return shared_->gone[index] != 0; }
    // After `done`: the file's record; nothing when struck off or gone.
    const std::optional<mdb::MusicInfo>& record(size_t index) const {
        return shared_->records[index];
    }

  private:
    // Each share writes only its own range of `records` and `gone`.
    struct Shared {
        std::vector<std::string> files;
        std::vector<std::optional<mdb::MusicInfo>> records;
        std::vector<uint8_t> gone;
        std::unique_ptr<std::atomic<bool>[]> struck;
        size_t sharesLeft = 0;   // the owner's thread only
        bool abandoned = false;  // the owner's thread only
        std::function<void()> done;
    };
    static void read(Shared& shared, mdb::TagAccess& tags, size_t begin, size_t end);

    std::shared_ptr<Shared> shared_;
};

}  // namespace app
