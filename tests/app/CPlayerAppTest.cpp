#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppFakes.h"
#include "app/AppTexts.h"
#include "app/CPlayerApp.h"
#include "app/WindowPlacement.h"
#include "mdb/MusicDatabase.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace app {
namespace {

using namespace std::chrono_literals;
using apptest::FakeView;
using Choice = AppView::SaveFailureChoice;

class NoTags : public mdb::TagAccess {
  public:
    std::optional<mdb::TagInfo> read(const std::string&) override { return std::nullopt; }
    mdb::TagWriteResult write(const std::string&, const mdb::TagEdit&) override {
        return mdb::TagWriteResult::Unreadable;
    }
};

class CPlayerAppTest : public ::testing::Test {
  protected:
    CPlayerAppTest() {
        std::filesystem::create_directories(program_ / "Skin/Navy");
        std::ofstream(program_ / "Skin/Navy/Skin.ini") << "[Skin]\n";
    }

    CPlayerApp& app() {
        if (!app_) {
            CPlayerApp::Services services{view_,
                                          view_,
                                          timers_,
                                          work_,
                                          std::make_shared<NoTags>(),
                                          [] { return std::make_shared<NoTags>(); },
                                          [this](const std::vector<std::string>& files) {
                                              claimed_ = files;
                                              return firstInstance_;
                                          },
                                          [this] { ended_ = true; },
                                          [this] { return now_; }};
            app_ = std::make_unique<CPlayerApp>(std::move(services), store_, program_.path());
        }
        return *app_;
    }
    // Start-up with the library's load run to its end.
    bool startLoaded(const std::vector<std::string>& arguments) {
        const bool started = app().start(arguments);
        work_.drain();
        return started;
    }
    std::string music(const std::string& name) {
        std::ofstream(music_ / name) << "x";
        return (music_ / name).string();
    }
    std::vector<std::string> drop() {
        const mdb::MutableGroup& list =
            app().library()->db().playlists().get(std::string(texts::kDropPlaylist));
        std::vector<std::string> names;
        for (size_t i = 0; i < list.count(); ++i) {
            names.push_back(std::filesystem::path(list.itemAt(i)->getPath()).filename());
        }
        return names;
    }
    std::filesystem::path libraryFile() const {
        return TempSettings::folder() / "data/mp3-melodux/MyData/Library.csv";
    }
    std::vector<std::string> savedLines() const {
        std::ifstream saved(libraryFile());
        std::vector<std::string> lines;
        for (std::string line; std::getline(saved, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempSettings settings_;
    SettingsStore store_;
    testsupport::TempDir program_;
    testsupport::TempDir music_;
    FakeView view_;
    apptest::FakeTimers timers_;
    apptest::ThreadWork work_;
    bool firstInstance_ = true;
    bool ended_ = false;
    std::vector<std::string> claimed_;
    CPlayerApp::Clock::time_point now_{};
    std::unique_ptr<CPlayerApp> app_;
};

TEST_F(CPlayerAppTest, FirstStartRunsInOrderAndPlaysTheCommandLine) {
    store_.write(settings::kPlaylistPosition, "0:5:0:0:0:0:1:2:3:4");
    store_.write(settings::kRecordPosition, "0:0:0:0:0:0:1:2:3:4");
    store_.write(settings::kLibraryShowMode, 2);
    store_.write(settings::kCurrentPlaylistName, "Mine");
    const std::string a = music("a.mp3");
    music("b.mp3");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(music_.path());
    const bool started = app().start({"-geometry", "b.mp3", "missing.mp3", a, music_.path()});
    std::filesystem::current_path(cwd);

    ASSERT_TRUE(started);
    EXPECT_EQ(claimed_, (std::vector<std::string>{(music_ / "b.mp3").string(), a}));
    // The window is up while the library still loads.
    EXPECT_EQ(view_.calls,
              (std::vector<std::string>{"create MP3 Melodux", "show main", "show list"}));
    EXPECT_EQ(app().library(), nullptr);
    work_.drain();
    // The files are read beside the load and open after it.
    const std::vector<std::string> expected = {"create MP3 Melodux",
                                               "show main",
                                               "show list",
                                               "view 2  Mine",
                                               "front",
                                               "stop playback",
                                               "select Drop Playlist",
                                               "play Drop Playlist"};
    EXPECT_EQ(view_.calls, expected);
    EXPECT_EQ(drop(), (std::vector<std::string>{"b.mp3", "a.mp3"}));
    const std::string skin = program_.path().string() + "/Skin/Navy/";
    EXPECT_EQ(app().skinFolder(), skin);
    EXPECT_EQ(store_.read(settings::kSkinPath), skin);
    EXPECT_EQ(store_.read(settings::kDefaultMusicPath),
              (TempSettings::folder() / "music").string());
    EXPECT_EQ(app().library()->folder(), libraryFile().parent_path().string());
    EXPECT_EQ(app().library()->db().playlists().getNames(),
              (std::vector<std::string>{"Drop Playlist", "New Playlist"}));
}

TEST_F(CPlayerAppTest, StartEndsWithoutTheSkinOrAsASecondStart) {
    const std::string elsewhere = program_.path().string() + "/Other";
    std::filesystem::create_directories(elsewhere);
    struct Case {
        const char* what;
        std::string skinPath;  // empty: unset
        bool first;
        bool started;
        std::string firstCall;
    } cases[] = {
        {"a folder without Skin.ini", elsewhere, true, false,
         "message " + texts::notFound(elsewhere + "/Skin.ini")},
        {"a second start", "", false, false, ""},
    };
    for (const Case& c : cases) {
        TempSettings clean;
        view_.calls.clear();
        app_.reset();
        if (!c.skinPath.empty()) {
            store_.write(settings::kSkinPath, c.skinPath);
        }
        firstInstance_ = c.first;
        EXPECT_EQ(startLoaded({}), c.started) << c.what;
        EXPECT_EQ(view_.calls.empty() ? "" : view_.calls.front(), c.firstCall) << c.what;
        EXPECT_FALSE(view_.has("create MP3 Melodux")) << c.what;
    }
}

TEST_F(CPlayerAppTest, HandOversCollectWithinASecondAndCtrlOnlyAppends) {
    ASSERT_TRUE(startLoaded({}));
    const std::string a = music("a.mp3"), b = music("b.mp3"), c = music("c.mp3");
    struct Step {
        std::chrono::milliseconds at;
        std::vector<std::string> files;
        bool ctrl;
        std::vector<std::string> expected;
        bool plays;
    } steps[] = {
        {0ms, {a}, false, {"a.mp3"}, true},
        {900ms, {b}, false, {"a.mp3", "b.mp3"}, true},   // within a second of the last
        {2000ms, {c}, false, {"c.mp3"}, true},           // later: replaces
        {2100ms, {a}, true, {"c.mp3", "a.mp3"}, false},  // Ctrl: appends, playback goes on
        {5000ms, {"/gone.mp3"}, false, {}, false},       // nothing to play
    };
    for (const Step& step : steps) {
        view_.calls.clear();
        now_ = CPlayerApp::Clock::time_point(step.at);
        app().HandOver(step.files, step.ctrl);
        work_.drain();
        EXPECT_EQ(drop(), step.expected) << step.at.count();
        EXPECT_EQ(view_.has("play Drop Playlist"), step.plays) << step.at.count();
        EXPECT_EQ(view_.has("stop playback"), !step.ctrl) << step.at.count();
        EXPECT_EQ(view_.has("select Drop Playlist"), !step.expected.empty()) << step.at.count();
    }
}

TEST_F(CPlayerAppTest, HandOverDuringStartUpWaitsForItsEnd) {
    const std::string a = music("a.mp3"), b = music("b.mp3"), c = music("c.mp3");
    view_.onShowMain = [&] {
        app().HandOver({b}, false);  // a second start answered from a nested event loop
        view_.log("handed");
    };
    ASSERT_TRUE(app().start({a}));
    app().HandOver({c}, false);  // while the library loads
    EXPECT_FALSE(view_.has("play Drop Playlist"));
    work_.drain();
    EXPECT_EQ(drop(), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    const auto handed = std::find(view_.calls.begin(), view_.calls.end(), "handed");
    const auto front = std::find(view_.calls.begin(), view_.calls.end(), "front");
    EXPECT_EQ(std::count(front, view_.calls.end(), "play Drop Playlist"), 3);
    EXPECT_LT(handed, front);
}

TEST_F(CPlayerAppTest, AFailedLoadIsReportedAndEndsTheProgram) {
    std::filesystem::create_directories(libraryFile() / "x");  // cannot be read as a file
    ASSERT_TRUE(app().start({}));
    app().HandOver({music("a.mp3")}, false);
    work_.drain();
    EXPECT_TRUE(ended_);
    EXPECT_EQ(app().library(), nullptr);
    EXPECT_EQ(
        std::count_if(view_.calls.begin(), view_.calls.end(),
                      [](const std::string& call) { return call.starts_with("library failure "); }),
        1);
    EXPECT_FALSE(view_.has("front"));
    EXPECT_TRUE(app().SaveAllModified());
}

TEST_F(CPlayerAppTest, ClosingWhileTheLibraryLoadsAbandonsTheLoad) {
    ASSERT_TRUE(app().start({}));
    EXPECT_TRUE(app().SaveAllModified());
    work_.drain();
    EXPECT_EQ(app().library(), nullptr);
    EXPECT_FALSE(view_.has("front"));
    EXPECT_FALSE(std::filesystem::exists(libraryFile()));
    // The abandoned session has let go of the library's lock.
    EXPECT_NO_THROW(LibrarySession(libraryFile().parent_path().string(), std::make_shared<NoTags>(),
                                   "", LibrarySession::Access::ReadWrite));
}

TEST_F(CPlayerAppTest, ExitAsksWhileRecordingAndRefusesDuringCddb) {
    ASSERT_TRUE(startLoaded({}));
    struct Case {
        bool recording, ok, cddb, closes;
        std::vector<std::string> calls;
    } cases[] = {
        {true, false, false, false, {"ask " + std::string(texts::kRecordingQuestion)}},
        {true,
         true,
         false,
         true,
         {"ask " + std::string(texts::kRecordingQuestion), "stop recording", "save state"}},
        {false, true, true, false, {"stop " + std::string(texts::kCddbBusy)}},
        {false, true, false, true, {"save state"}},
    };
    for (const Case& c : cases) {
        view_.calls.clear();
        view_.recording = c.recording;
        view_.okAnswer = c.ok;
        view_.cddbBusy = c.cddb;
        EXPECT_EQ(app().SaveAllModified(), c.closes);
        EXPECT_EQ(view_.calls, c.calls);
    }
    EXPECT_TRUE(std::filesystem::exists(libraryFile()));
    EXPECT_EQ(store_.read(settings::kDefaultMdbPath), libraryFile().parent_path().string());
}

TEST_F(CPlayerAppTest, AFailedSaveAtExitIsRetriedOrKeepsTheProgram) {
    ASSERT_TRUE(startLoaded({}));
    const std::string a = music("a.mp3");
    // A folder where the library file belongs cannot be replaced.
    const auto block = [&] { std::filesystem::create_directories(libraryFile() / "x"); };
    const auto unblock = [&] { std::filesystem::remove_all(libraryFile()); };
    struct Case {
        std::vector<Choice> answers;
        bool closes;
        bool saved;
    } cases[] = {
        {{Choice::Cancel}, false, false},
        {{Choice::QuitWithoutSaving}, true, false},
        {{Choice::Retry, Choice::Retry}, true, true},  // fixed before the second try
    };
    for (const Case& c : cases) {
        app().HandOver({a}, false);
        work_.drain();
        block();
        view_.saveAnswers = c.answers;
        view_.onSaveFailed = [&] {
            if (view_.saveAnswers.size() == 1 && c.saved) {
                unblock();
            }
        };
        EXPECT_EQ(app().SaveAllModified(), c.closes);
        EXPECT_TRUE(view_.has("save failed " + std::string(texts::kLibrarySaveFailed)));
        EXPECT_EQ(app().library()->db().isModified(), !c.saved);
        EXPECT_EQ(std::filesystem::is_regular_file(libraryFile()), c.saved);
        unblock();
    }
}

TEST_F(CPlayerAppTest, ChangesAreSavedSoonAfterOnAWorker) {
    ASSERT_TRUE(startLoaded({}));
    mdb::MusicDatabase& db = app().library()->db();
    timers_.advance(LibraryAutosave::kQuiet);  // "New Playlist"
    work_.drain();
    app().HandOver({music("a.mp3")}, true);
    work_.drain();
    timers_.advance(LibraryAutosave::kQuiet - 1ms);
    work_.drain();
    EXPECT_TRUE(savedLines().empty());  // not yet quiet for long enough
    timers_.advance(1ms);
    work_.drain();
    ASSERT_EQ(savedLines().size(), 1u);
    EXPECT_NE(savedLines()[0].find("a.mp3"), std::string::npos);
    EXPECT_FALSE(db.isModified());
    EXPECT_FALSE(timers_.anyActive());

    app().HandOver({music("b.mp3")}, true);
    work_.drain();
    app().saveLibrarySoon();  // a recording run ended: no waiting for quiet
    work_.drain();
    EXPECT_EQ(savedLines().size(), 2u);
    EXPECT_FALSE(db.isModified());
}

TEST_F(CPlayerAppTest, ACopyInterruptedByAChangeIsTakenAgain) {
    ASSERT_TRUE(startLoaded({}));
    mdb::MusicDatabase& db = app().library()->db();
    for (size_t i = 0; i < LibraryAutosave::kStepEntries + 10; ++i) {
        mdb::MusicInfo info;
        info.path = "/music/" + std::to_string(i) + ".mp3";
        db.library().add(info, false);
    }
    EXPECT_TRUE(timers_.fireNext());  // quiet: the first step of the copy
    db.library().removeAt(0);         // before the next one, not flushed
    timers_.advance(LibraryAutosave::kQuiet - 1ms);
    work_.drain();
    EXPECT_TRUE(savedLines().empty());
    timers_.advance(1ms);
    work_.drain();
    const std::vector<std::string> lines = savedLines();
    ASSERT_EQ(lines.size(), LibraryAutosave::kStepEntries + 9);
    EXPECT_EQ(lines.front().rfind("/music/1.mp3,", 0), 0u);
    EXPECT_FALSE(db.isModified());
}

TEST_F(CPlayerAppTest, AFailedSaveOnTheWorkerLeavesTheLibraryModified) {
    ASSERT_TRUE(startLoaded({}));
    std::filesystem::create_directories(libraryFile() / "x");
    app().HandOver({music("a.mp3")}, true);
    work_.drain();
    timers_.advance(LibraryAutosave::kQuiet);
    work_.drain();
    EXPECT_TRUE(app().library()->db().isModified());
    std::filesystem::remove_all(libraryFile());
    app().HandOver({music("b.mp3")}, true);
    work_.drain();
    timers_.advance(LibraryAutosave::kQuiet);
    work_.drain();
    EXPECT_TRUE(std::filesystem::is_regular_file(libraryFile()));
    EXPECT_FALSE(app().library()->db().isModified());
}

}  // namespace
}  // namespace app
