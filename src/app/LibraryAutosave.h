#pragma once

#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <set>

#include "app/BackgroundWork.h"
#include "app/TimerService.h"
#include "mdb/ChangeNotifier.h"
#include "mdb/SaveSnapshot.h"

namespace app {

class LibrarySession;

// Saves the library soon after it changes, so that a crash loses seconds
// of work rather than the session: kQuiet after the last change, or
// kLongest after the first unsaved one while changes keep coming. The copy
// of the library is taken in steps of kStepEntries on the owner's thread,
// one timer turn apart (a copy of 100 000 items at once would hold the
// window up for several frames); the files are written on a worker. A
// change while the copy is being taken drops it, and the next quiet spell
// begins it again. A failed save leaves the library modified; the next
// change or the save at exit tries again, and only the one at exit tells
// the user.
class LibraryAutosave : private mdb::ChangeListener {
  public:
    static constexpr std::chrono::milliseconds kQuiet{3000};
    static constexpr std::chrono::milliseconds kLongest{30000};
    static constexpr size_t kStepEntries = 10000;

    LibraryAutosave(LibrarySession& session, TimerService& timers, BackgroundWork& work);
    // Waits for a write under way.
    ~LibraryAutosave() override;
    LibraryAutosave(const LibraryAutosave&) = delete;
    LibraryAutosave& operator=(const LibraryAutosave&) = delete;

    // Saves what is unsaved now, on this thread, after any write under way
    // has ended. Throws what the save throws.
    void saveNow();
    // Starts the save of what is unsaved now without waiting for quiet:
    // after a step the user counts as done (a recording run).
    void saveSoon();

  private:
    // A write handed to the worker, shared with it.
    struct Write {
        std::unique_ptr<mdb::SaveSnapshot> snapshot;
        std::exception_ptr failure;
        std::promise<void> ended;
        std::shared_future<void> endedFuture = ended.get_future().share();
        bool finished = false;  // taken back on the owner's thread
    };

    void onChange(const mdb::ChangeEvent& event) override;
    void watchPlaylists();
    void waitForQuiet();
    void dropCopy();
    void begin();
    void step();
    void startWrite();
    void complete(const std::shared_ptr<Write>& write);
    void waitForWrite();

    LibrarySession& session_;
    BackgroundWork& work_;
    std::unique_ptr<TimerService::Timer> quiet_;
    std::unique_ptr<TimerService::Timer> longest_;
    std::unique_ptr<TimerService::Timer> stepper_;
    std::set<const mdb::ChangeSource*> playlists_;
    std::unique_ptr<mdb::SaveSnapshot> copying_;
    std::shared_ptr<Write> writing_;
    // Tells callbacks queued to the owner's thread that this is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
