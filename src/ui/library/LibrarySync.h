#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mdb/MusicDatabase.h"
#include "mdb/MusicItemList.h"

namespace ui::library {

// Brings the library's records in step with the files, as the library's
// own synchronisation does: a file changed by another program gives its
// tag, an edit the file missed is written again, and the item of a file
// that is gone leaves the library and every playlist. The file status and
// tag reads run on a worker thread with its own tag access; the UI thread
// applies them in batches, so the panel stays responsive. One run at a
// time; a run can be cancelled, keeping what was applied.
class LibrarySync {
  public:
    struct Result {
        size_t updated = 0;
        size_t removed = 0;
        bool cancelled = false;
    };
    using Progress = std::function<void(size_t done, size_t total)>;
    using Done = std::function<void(const Result&)>;

    LibrarySync(mdb::MusicDatabase& db, std::shared_ptr<mdb::TagAccess> tags);
    // Cancels a run and waits for its worker.
    ~LibrarySync();
    LibrarySync(const LibrarySync&) = delete;
    LibrarySync& operator=(const LibrarySync&) = delete;

    // False while a run is going on. `progress` and `done` run on the UI
    // thread; nothing is called after the sync has gone.
    bool start(Progress progress, Done done);
    void cancel() { cancelled_ = true; }
    bool running() const { return running_; }

  private:
    // A record as it stood when the run began.
    struct Known {
        std::string path;
        uint32_t stored = 0;
    };
    // What the worker found of its file.
    struct Seen {
        std::string path;
        mdb::MusicItemList::FileLook look;
    };
    void check(std::vector<Known> known);
    void post(std::vector<Seen> batch, size_t done, size_t total, bool last);
    void apply(const std::vector<Seen>& batch);
    void finish();

    mdb::MusicDatabase& db_;
    std::shared_ptr<mdb::TagAccess> tags_;
    Progress progress_;
    Done done_;
    Result result_;
    bool running_ = false;
    std::atomic<bool> cancelled_ = false;
    QObject receiver_;     // the UI thread's end; its queued calls die with it
    std::jthread worker_;  // last: joined before the rest goes
};

}  // namespace ui::library
