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
    if (!files.empty()) {
        queue(files, false);
    }
    // The library loads and the files are read (behind the load on the
    // pool) while the window comes up.
    loadLibrary();
    readNext();
    services_.view.createMainWindow(texts::kAppTitle);
    services_.view.showMainWindow();
    if (!files.empty()) {
        // Ctrl as it was held at the start, not when the files are opened.
        handOvers_.front().ctrlHeld = services_.view.ctrlHeld();
    }
    restorePanels();
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
void CPlayerApp::loadLibrary() {
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
    auto done = [this, alive = std::weak_ptr<bool>(alive_), result] {
        if (alive.expired() || phase_ != Phase::Loading) {
            return;  // abandoned: the session ends here, its lock with it
        }
        if (!takeLibrary(*result)) {
            phase_ = Phase::Abandoned;
            services_.endProgram();
            return;
        }
        finishStart();
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

void CPlayerApp::finishStart() {
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
    phase_ = Phase::Running;
    if (!handOvers_.empty() && handOvers_.front().reader) {
        HandOverReader& reader = *handOvers_.front().reader;
        const std::vector<bool> held = heldByLibrary(reader.files());
        for (size_t i = 0; i < held.size(); ++i) {
            if (held[i]) {
                reader.strikeOff(i);
            }
        }
        if (reader.finished()) {
            openNext();
        }
    }
    services_.view.bringToFront();
}

void CPlayerApp::HandOver(const std::vector<std::string>& files, bool ctrlHeld) {
    queue(files, ctrlHeld);
}

void CPlayerApp::HandOverDropped(std::vector<std::string> paths, bool ctrlHeld) {
    auto files = std::make_shared<std::vector<std::string>>();
    auto search = [files, paths = std::move(paths)] {
        try {
            *files = expandMusicPaths(paths, Engine::musicExtensions());
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

// Hand-overs are read and opened one after another, in the order they came.
void CPlayerApp::queue(std::vector<std::string> files, bool ctrlHeld) {
    handOvers_.push_back({std::move(files), ctrlHeld, services_.now(), nullptr});
    readNext();
}

void CPlayerApp::readNext() {
    if (phase_ == Phase::Starting || handOvers_.empty() || handOvers_.front().reader) {
        return;
    }
    PendingHandOver& next = handOvers_.front();
    next.reader = std::make_unique<HandOverReader>(next.files, heldByLibrary(next.files),
                                                   services_.work, services_.readerTags, [this] {
                                                       if (phase_ == Phase::Running) {
                                                           openNext();
                                                       }
                                                   });
}

std::vector<bool> CPlayerApp::heldByLibrary(const std::vector<std::string>& files) const {
    if (!session_) {
        return {};
    }
    mdb::MusicDatabase& db = session_->db();
    auto guard = db.lock();
    std::vector<bool> held(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        held[i] = !db.library().itemsWithPath(files[i]).empty();
    }
    return held;
}

void CPlayerApp::openNext() {
    PendingHandOver next = std::move(handOvers_.front());
    handOvers_.pop_front();
    openFiles(next);
    readNext();
}

void CPlayerApp::openFiles(const PendingHandOver& handOver) {
    mdb::MusicDatabase& db = session_->db();
    mdb::MutableGroup& drop = db.playlists().create(std::string(texts::kDropPlaylist));
    if (!handOver.ctrlHeld) {
        const bool collecting = lastHandOver_ && handOver.arrived - *lastHandOver_ < kCollectWithin;
        if (!collecting) {
            drop.clear();
        }
        services_.playback.stop();
    }
    drop.insert(drop.count(), fileIntoLibrary(*handOver.reader));
    if (drop.count() > 0) {
        services_.view.selectPlaylist(drop.getName());
        if (!services_.view.isListPanelVisible()) {
            services_.view.showListPanel();
        }
        if (!handOver.ctrlHeld) {
            services_.playback.playPlaylist(drop);
        }
    }
    lastHandOver_ = handOver.arrived;
}

// The records read go into the library at once, told to its views once.
std::vector<mdb::MusicItem*> CPlayerApp::fileIntoLibrary(const HandOverReader& read) {
    mdb::MusicDatabase& db = session_->db();
    mdb::MusicItemList& library = db.library();
    auto guard = db.lock();
    const std::vector<std::string>& files = read.files();
    std::vector<mdb::MusicItem*> items(files.size(), nullptr);
    std::vector<mdb::MusicInfo> fresh;
    std::vector<size_t> freshAt;
    for (size_t i = 0; i < files.size(); ++i) {
        if (read.gone(i)) {
            continue;  // gone since it was named: nothing to play
        }
        const std::vector<mdb::MusicItem*> held = library.itemsWithPath(files[i]);
        if (!held.empty()) {
            items[i] = held.front();
        } else if (read.record(i)) {
            fresh.push_back(*read.record(i));
            freshAt.push_back(i);
        } else {
            items[i] = addNow(files[i]);  // struck off, and removed from the library since
        }
    }
    const std::vector<size_t> indices = library.addRecords(fresh);
    for (size_t k = 0; k < indices.size(); ++k) {
        if (indices[k] != mdb::kNoIndex) {
            items[freshAt[k]] = library.itemAt(indices[k]);
        }
    }
    std::erase(items, nullptr);
    return items;
}

mdb::MusicItem* CPlayerApp::addNow(const std::string& file) {
    mdb::MusicItemList& library = session_->db().library();
    try {
        const size_t index = library.addFile(file);
        return index == mdb::kNoIndex ? nullptr : library.itemAt(index);
    } catch (const mdb::FileIOException&) {
        return nullptr;  // gone meanwhile
    } catch (const std::invalid_argument&) {
        return nullptr;  // a relative path: never from the command line or a hand-over
    }
}

void CPlayerApp::saveLibrarySoon() {
    if (autosave_) {
        autosave_->saveSoon();
    }
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
