#pragma once

#include <chrono>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppView.h"
#include "app/BackgroundWork.h"
#include "app/HandOverReader.h"
#include "app/LibraryAutosave.h"
#include "app/LibrarySession.h"
#include "app/PlaybackControl.h"
#include "app/SettingsStore.h"
#include "app/TimerService.h"

namespace app {

// The application object: starts the program in its order, takes files
// handed over (command line, second starts, drops on the window), and
// guards the exit so that nothing unsaved is lost.
class CPlayerApp {
  public:
    using Clock = std::chrono::steady_clock;
    // Hand-overs closer together than this collect into one list.
    static constexpr std::chrono::milliseconds kCollectWithin{1000};

    struct Services {
        AppView& view;
        PlaybackControl& playback;
        TimerService& timers;
        BackgroundWork& work;
        std::shared_ptr<mdb::TagAccess> tags;
        // A tag access for each thread that reads handed-over files.
        HandOverReader::TagsMaker readerTags;
        // Makes this the running instance: true to go on, false when the
        // files went to the running one (or none answered) and this ends.
        // The desktop program calls SingleInstance::claim with the files and
        // activationToken(), and keeps that object for the whole run.
        std::function<bool(const std::vector<std::string>& files)> claimInstance;
        // Ends the program's event loop: the library could not be loaded.
        std::function<void()> endProgram;
        std::function<Clock::time_point()> now = [] { return Clock::now(); };
    };

    // `programFolder` is the read-only install data (skins, genre.dat).
    CPlayerApp(Services services, SettingsStore& settings,
               const std::filesystem::path& programFolder);
    ~CPlayerApp();

    // Start-up with the arguments after the program's name; whether the
    // program goes on running. The main window is shown first; the library
    // loads on a worker and start-up ends when it has, on this thread.
    bool start(const std::vector<std::string>& arguments);
    // Before the main window closes: whether it may. While the library
    // loads nothing can have changed in it, so the load is abandoned.
    bool SaveAllModified();
    // Files from a second start or a drop, into "Drop Playlist". Those that
    // arrive while start-up runs are opened when it has finished.
    void HandOver(const std::vector<std::string>& files, bool ctrlHeld);
    // Paths dropped on a window: each folder stands for the music files
    // below it, searched for off this thread; then handed over in order.
    void HandOverDropped(std::vector<std::string> paths, bool ctrlHeld);

    // Saves the library on the pool now rather than after the quiet spell.
    void saveLibrarySoon();

    // The skin folder start-up settled on, ending in "/".
    const std::string& skinFolder() const { return skinFolder_; }
    // The library, once start-up has loaded it.
    LibrarySession* library() { return session_.get(); }

  private:
    struct PendingHandOver {
        std::vector<std::string> files;
        bool ctrlHeld;
        Clock::time_point arrived;
        std::unique_ptr<HandOverReader> reader;  // while or after being read
    };
    // Filled on the worker, read on the owner's thread after it.
    struct LoadResult {
        std::unique_ptr<LibrarySession> session;
        std::exception_ptr failure;
    };
    enum class Phase { Starting, Loading, Running, Abandoned };

    bool findSkin();
    void loadLibrary();
    bool takeLibrary(LoadResult& result);
    void restorePanels();
    void finishStart();
    void queue(std::vector<std::string> files, bool ctrlHeld);
    void readNext();
    std::vector<bool> heldByLibrary(const std::vector<std::string>& files) const;
    void openNext();
    void openFiles(const PendingHandOver& handOver);
    std::vector<mdb::MusicItem*> fileIntoLibrary(const HandOverReader& read);
    mdb::MusicItem* addNow(const std::string& file);

    Services services_;
    SettingsStore& settings_;
    std::string programFolder_;  // ends in "/"
    std::string skinFolder_;
    std::unique_ptr<LibrarySession> session_;
    std::unique_ptr<LibraryAutosave> autosave_;  // after the session: ends first
    Phase phase_ = Phase::Starting;
    // A load's end finds this gone when the application went first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // In arrival order; only the front one is read.
    std::deque<PendingHandOver> handOvers_;
    std::optional<Clock::time_point> lastHandOver_;
};

}  // namespace app
