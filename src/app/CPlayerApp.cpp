#include "app/CPlayerApp.h"

#include <utility>

#include "app/AppSettings.h"
#include "app/AppTexts.h"
#include "app/CommandLineFiles.h"
#include "app/Engine.h"
#include "app/MusicFiles.h"
#include "app/SkinFolder.h"
#include "app/WindowPlacement.h"
#include "cdinfo/NamingRules.h"
#include "mdb/Exceptions.h"

namespace app {

namespace {

bool shownAtExit(const std::string& placement) {
    const auto read = WindowPlacement::parse(placement);
    return read && read->showCommand == WindowPlacement::kShown;
}

}  // namespace

CPlayerApp::CPlayerApp(Services services, SettingsStore& settings,
                       const std::filesystem::path& programFolder)
    : services_(std::move(services)),
      settings_(settings),
      programFolder_(withTrailingSlash(programFolder.string())) {}

CPlayerApp::~CPlayerApp() = default;

// Windows-only steps have no counterpart: control containment, 3-D
// controls and object services; the framework's profile key, which nothing
// reads; the current folder, which the program never resolves against.
// The clipboard formats and the application font belong to the windows.
bool CPlayerApp::start(const std::vector<std::string>& arguments) {
    if (!findSkin()) {
        return false;
    }
    const std::vector<std::string> files = commandLineFiles(arguments);
    if (!services_.claimInstance(files)) {
        return false;
    }
    services_.view.createMainWindow(texts::kAppTitle);
    services_.view.showMainWindow();
    restorePanels();
    // Ctrl as it was held at the start, not when the load has ended.
    loadLibrary({files, !files.empty() && services_.view.ctrlHeld()});
    return true;
}

bool CPlayerApp::findSkin() {
    skinFolder_ = app::skinFolder(settings_, programFolder_);
    const std::string description = skinFolder_ + "Skin.ini";
    std::error_code ec;
    if (!std::filesystem::exists(description, ec)) {
        services_.view.showMessage(texts::notFound(description));
        return false;
    }
    return true;
}

void CPlayerApp::restorePanels() {
    if (shownAtExit(settings_.read(settings::kPlaylistPosition))) {
        services_.view.showListPanel();
    }
    if (shownAtExit(settings_.read(settings::kRecordPosition))) {
        services_.view.showRecordPanel();
    }
}

// The database is built on the worker, where nobody else can see it yet,
// and only the owner's thread touches it after the hand-back.
void CPlayerApp::loadLibrary(PendingHandOver commandLine) {
    phase_ = Phase::Loading;
    auto result = std::make_shared<LoadResult>();
    auto work = [result, folder = app::libraryFolder(), tags = services_.tags,
                 genres = programFolder_ + "genre.dat"] {
        try {
            result->session = std::make_unique<LibrarySession>(folder, tags, genres);
        } catch (const std::exception&) {
            result->failure = std::current_exception();
        }
    };
    auto done = [this, alive = std::weak_ptr<bool>(alive_), result,
                 commandLine = std::move(commandLine)] {
        if (alive.expired() || phase_ != Phase::Loading) {
            return;  // abandoned: the session ends here, its lock with it
        }
        if (!takeLibrary(*result)) {
            phase_ = Phase::Abandoned;
            services_.endProgram();
            return;
        }
        finishStart(commandLine);
    };
    services_.work.run(std::move(work), std::move(done));
}

bool CPlayerApp::takeLibrary(LoadResult& result) {
    if (result.failure) {
        try {
            std::rethrow_exception(result.failure);
        } catch (const std::exception& failure) {
            services_.view.reportLibraryOpenFailure(failure);
        }
        return false;
    }
    session_ = std::move(result.session);
    if (!session_->problems().empty()) {
        services_.view.reportLoadProblems(session_->problems());
    }
    autosave_ = std::make_unique<LibraryAutosave>(*session_, services_.timers, services_.work);
    return true;
}

void CPlayerApp::finishStart(const PendingHandOver& commandLine) {
    services_.view.restoreListView(settings_.read(settings::kLibraryShowMode),
                                   settings_.read(settings::kCurrentLibraryName),
                                   settings_.read(settings::kCurrentPlaylistName));
    mdb::MusicDatabase& db = session_->db();
    if (db.playlists().count() == 0 && db.library().count() == 0) {
        db.playlists().create(std::string(texts::kNewPlaylist));
    }
    // The program folder is read-only install data: recordings go to the
    // user's music folder.
    if (settings_.read(settings::kDefaultMusicPath).empty()) {
        settings_.write(settings::kDefaultMusicPath, cdinfo::NamingRules::defaultMusicPath());
    }
    if (!commandLine.files.empty()) {
        openFiles(commandLine.files, commandLine.ctrlHeld);
    }
    services_.view.bringToFront();
    phase_ = Phase::Running;
    for (PendingHandOver& handOver : std::exchange(pending_, {})) {
        openFiles(handOver.files, handOver.ctrlHeld);
    }
}

void CPlayerApp::HandOver(const std::vector<std::string>& files, bool ctrlHeld) {
    if (phase_ != Phase::Running) {
        pending_.push_back({files, ctrlHeld});
        return;
    }
    openFiles(files, ctrlHeld);
}

void CPlayerApp::HandOverDropped(std::vector<std::string> paths, bool ctrlHeld) {
    auto files = std::make_shared<std::vector<std::string>>();
    auto search = [files, paths = std::move(paths)] {
        const std::vector<std::string> extensions(Engine::kMusicExtensions.begin(),
                                                  Engine::kMusicExtensions.end());
        try {
            *files = expandMusicPaths(paths, extensions);
        } catch (const std::exception&) {
            files->clear();  // a path the file system refuses outright: nothing to open
        }
    };
    auto done = [this, alive = std::weak_ptr<bool>(alive_), files, ctrlHeld] {
        if (!alive.expired() && !files->empty()) {
            HandOver(*files, ctrlHeld);
        }
    };
    services_.work.run(std::move(search), std::move(done));
}

void CPlayerApp::openFiles(const std::vector<std::string>& files, bool ctrlHeld) {
    mdb::MusicDatabase& db = session_->db();
    mdb::MutableGroup& drop = db.playlists().create(std::string(texts::kDropPlaylist));
    if (!ctrlHeld) {
        const bool collecting = lastHandOver_ && services_.now() - *lastHandOver_ < kCollectWithin;
        if (!collecting) {
            drop.clear();
        }
        services_.playback.stop();
    }
    drop.insert(drop.count(), fileIntoLibrary(files));
    if (drop.count() > 0) {
        services_.view.selectPlaylist(drop.getName());
        if (!services_.view.isListPanelVisible()) {
            services_.view.showListPanel();
        }
        if (!ctrlHeld) {
            services_.playback.playPlaylist(drop);
        }
    }
    lastHandOver_ = services_.now();
}

std::vector<mdb::MusicItem*> CPlayerApp::fileIntoLibrary(const std::vector<std::string>& files) {
    mdb::MusicItemList& library = session_->db().library();
    std::vector<mdb::MusicItem*> items;
    for (const std::string& file : files) {
        try {
            const size_t index = library.addFile(file);
            if (index != mdb::kNoIndex) {
                items.push_back(library.itemAt(index));
            }
        } catch (const mdb::FileIOException&) {
            // Gone since it was named: nothing to play.
        } catch (const std::invalid_argument&) {
            // A relative path: never from the command line or a hand-over.
        }
    }
    return items;
}

bool CPlayerApp::SaveAllModified() {
    AppView& view = services_.view;
    if (view.isRecording()) {
        if (!view.askOkCancel(texts::kRecordingQuestion)) {
            return false;
        }
        view.stopRecording();
    }
    if (view.isCddbExchangeRunning()) {
        view.showStopMessage(texts::kCddbBusy);
        return false;
    }
    view.saveState();
    if (!session_) {
        if (phase_ == Phase::Loading) {
            phase_ = Phase::Abandoned;
        }
        return true;
    }
    if (settings_.read(settings::kDefaultMdbPath).empty()) {
        settings_.write(settings::kDefaultMdbPath, session_->folder());
    }
    // A failed save is not passed over: the user may try again, or stay.
    for (;;) {
        try {
            autosave_->saveNow();
            return true;
        } catch (const std::exception&) {
            switch (view.askSaveFailed(texts::kLibrarySaveFailed)) {
                case AppView::SaveFailureChoice::Retry:
                    continue;
                case AppView::SaveFailureChoice::QuitWithoutSaving:
                    return true;
                case AppView::SaveFailureChoice::Cancel:
                    return false;
            }
        }
    }
}

}  // namespace app
