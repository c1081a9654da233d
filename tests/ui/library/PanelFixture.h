#pragma once

// The desktop program with its list/edit panel, for the panel's tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QProgressDialog>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/AppTexts.h"
#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/StreamTagAccess.h"
#include "app/WindowPlacement.h"
#include "mdb/MusicItem.h"
#include "mdb/MutableGroup.h"
#include "support/DesktopProgram.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/CDesktopView.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"
#include "ui/library/CListPanel.h"
#include "ui/library/LibraryMime.h"
#include "ui/library/LibraryTexts.h"

namespace ui::library {

inline std::string field(std::string_view text, size_t size) {
    std::string out(text.substr(0, size));
    out.resize(size, '\0');
    return out;
}

// An MP3 file with an ID3v1 tag: `repeats` copies of a quarter-second
// stream, long enough for one to be still playing when the test looks.
inline void writeTagged(const std::filesystem::path& path, std::string_view title,
                        std::string_view artist, std::string_view album, int repeats = 1) {
    std::ifstream in(MP3_FIXTURE_DIR "/crafted_v1_mixed.mp3", std::ios::binary);
    const std::string frames((std::istreambuf_iterator<char>(in)), {});
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < repeats; ++i) {
        out << frames;
    }
    out << "TAG" << field(title, 30) << field(artist, 30) << field(album, 30) << "2001"
        << field("", 30) << char(17);
}

// Answers in place of the user and remembers what the panel said.
class ScriptedDialogs : public PanelDialogs {
  public:
    std::vector<std::string> told;
    std::deque<bool> answers;  // OK or Cancel, Yes or No, in order
    std::optional<FileChoice> file;
    std::optional<PlaylistChoice> playlist;

    void tell(std::string_view text) override { told.emplace_back(text); }
    void tellStop(std::string_view text) override { told.emplace_back(text); }
    bool askOkCancel(std::string_view text) override {
        told.emplace_back(text);
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    bool askYesNo(std::string_view text) override { return askOkCancel(text); }
    std::optional<FileChoice> chooseMusicFiles(const std::string&, int) override { return file; }
    std::optional<std::string> chooseFolder(const std::string&) override { return std::nullopt; }
    std::optional<FileChoice> chooseImportFile(const std::string&, int) override { return file; }
    std::optional<FileChoice> chooseExportFile(const std::string&, const std::string&,
                                               int) override {
        return file;
    }
    std::optional<PlaylistChoice> choosePlaylist(const std::vector<std::string>&) override {
        return playlist;
    }
};

// The desktop program as main() puts it together (null audio device),
// with its library loaded and empty.
class ListPanelTest : public ::testing::Test {
  protected:
    ListPanelTest() {
        testsupport::copyProgramData(program_.path());
        app_ = std::make_unique<app::CPlayerApp>(
            testsupport::desktopServices(view_, timers_, work_, engine_), store_, program_.path());
        view_.setLibrary([this] { return app_->library() ? &app_->library()->db() : nullptr; });
        started_ = app_->start({}) && QTest::qWaitFor([&] { return app_->library(); }, 5000);
    }

    mdb::MusicDatabase& db() { return app_->library()->db(); }
    CListPanel& panel() { return *view_.listPanel(); }
    app::CPlayController& player() { return view_.window()->player(); }

    // A panel of its own whose dialogs the test answers.
    std::unique_ptr<CListPanel> scriptedPanel(ScriptedDialogs*& dialogs) {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        auto made = std::make_unique<CListPanel>(
            playerSettings_, player(), std::make_shared<app::StreamTagAccess>(engine_.catalog()),
            std::vector<std::string>{"mp3", "wav"}, std::move(scripted));
        made->attach(db());
        made->restoreView(0, {}, {});
        return made;
    }

    static bool addAndWait(CListPanel& into, std::vector<std::string> paths,
                           const std::string& playlist = {}) {
        into.addPaths(std::move(paths), playlist);
        return QTest::qWaitFor([&] { return into.adder() && !into.adder()->running(); }, 10000);
    }

    // Two artists' songs below a folder, beside a file that is no music.
    std::string songFolder() {
        std::filesystem::create_directories(music_ / "a/b");
        writeTagged(music_ / "a/one.mp3", "One", "Amy", "First", 40);
        writeTagged(music_ / "a/b/two.mp3", "Two", "Bob", "Second", 40);
        writeTagged(music_ / "a/b/three.mp3", "Three", "Bob", "Second", 40);
        std::ofstream(music_ / "a/notes.txt") << "not music";
        return (music_ / "a").string();
    }

    static QStringList names(const QListView& view) {
        QStringList out;
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            out << view.model()->index(row, 0).data().toString();
        }
        return out;
    }

    TempSettings settings_;
    app::SettingsStore store_;
    app::PlayerSettings playerSettings_{store_};
    testsupport::TempDir program_;
    testsupport::TempDir music_;
    const app::Engine engine_;
    QtTimerService timers_;
    PoolWork work_;
    std::unique_ptr<app::CPlayerApp> app_;
    CDesktopView view_{engine_, playerSettings_, [this] { return app_->skinFolder(); }};
    bool started_ = false;
};

}  // namespace ui::library
