#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mdb/MusicDatabase.h"

namespace ui::library {

// Adds music files and the music files below folders to the library: the
// folder search, file status and tag reads run on a worker thread with
// its own tag access; the records come back in batches that the UI thread
// files into the database, so the panel stays responsive. One run at a
// time; a run can be cancelled.
class FileAdder {
  public:
    struct Result {
        std::vector<mdb::MusicItem*> added;  // in the order found
        size_t failed = 0;                   // gone, unreadable or refused
        bool cancelled = false;
    };
    using Progress = std::function<void(size_t done, size_t total)>;
    using Done = std::function<void(const Result&)>;

    // `extensions`: lowercase, without the dot.
    FileAdder(mdb::MusicDatabase& db, std::shared_ptr<mdb::TagAccess> tags,
              std::vector<std::string> extensions);
    // Cancels a run and waits for its worker.
    ~FileAdder();
    FileAdder(const FileAdder&) = delete;
    FileAdder& operator=(const FileAdder&) = delete;

    // False while a run is going on. `progress` and `done` run on the UI
    // thread; nothing is called after the adder has gone.
    bool start(std::vector<std::string> paths, Progress progress, Done done);
    void cancel() { cancelled_ = true; }
    bool running() const { return running_; }

  private:
    // What the worker read of one file; no record when the file is gone.
    struct Found {
        std::string path;
        std::optional<mdb::MusicInfo> record;
    };
    void search(std::vector<std::string> paths);
    void post(std::vector<Found> batch, size_t done, size_t total, bool last);
    void file(const std::vector<Found>& batch);
    bool stillThere(const mdb::MusicItem* item, const std::string& path) const;
    void finish();

    mdb::MusicDatabase& db_;
    std::shared_ptr<mdb::TagAccess> tags_;
    std::vector<std::string> extensions_;
    Progress progress_;
    Done done_;
    Result result_;
    std::vector<std::string> addedPaths_;  // beside result_.added
    bool running_ = false;
    std::atomic<bool> cancelled_ = false;
    QObject receiver_;     // the UI thread's end; its queued calls die with it
    std::jthread worker_;  // last: joined before the rest goes
};

}  // namespace ui::library
