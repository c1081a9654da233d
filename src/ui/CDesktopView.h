#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/AppView.h"
#include "app/PlaybackControl.h"
#include "ui/CMainWindow.h"
#include "ui/library/CListPanel.h"
#include "ui/record/CRecordPanel.h"

namespace ui {

// The desktop program's windows as the application object drives them:
// message boxes, the main window once start-up asks for it, and the
// player's list for the files handed over.
class CDesktopView : public app::AppView, public app::PlaybackControl {
  public:
    // `skinFolder` is asked when the main window is made.
    CDesktopView(const app::Engine& engine, app::PlayerSettings& settings,
                 std::function<std::string()> skinFolder);
    ~CDesktopView() override;

    // Null until start-up made it.
    CMainWindow* window() const { return window_.get(); }
    // Asked before the main window closes.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Given what is dropped on the main window.
    void setDropHandler(CMainWindow::DropHandler handler) { dropped_ = std::move(handler); }
    // Asked for the library when the list/edit panel's view is restored
    // (null: not loaded).
    void setLibrary(std::function<mdb::MusicDatabase*()> library) { library_ = std::move(library); }
    // Saves the library soon: a recording run has ended.
    void setLibrarySaver(std::function<void()> save) { saveLibrary_ = std::move(save); }
    // Null until the main window is made.
    library::CListPanel* listPanel() const { return listPanel_.get(); }
    // The main window's PlayList button and Ctrl+2: shows or hides it.
    void toggleListPanel();
    // Null until the main window is made.
    record::CRecordPanel* recordPanel() const { return recordPanel_.get(); }
    // The RecList button and Ctrl+3.
    void toggleRecordPanel();
    // Ctrl+Tab on the main window: the keyboard goes to a shown panel.
    void focusVisiblePanel();
    // Builds the two panels once; until then the player follows neither.
    void makePanels();
    // The main window's Record button: shows the recording panel, makes the
    // player follow it unless the list/edit panel is in use, and records.
    void startRecording();

    void showMessage(std::string_view text) override;
    void showStopMessage(std::string_view text) override;
    bool askOkCancel(std::string_view text) override;
    SaveFailureChoice askSaveFailed(std::string_view text) override;
    void reportLibraryOpenFailure(const std::exception& failure) override;
    void reportLoadProblems(const std::vector<mdb::LoadProblem>& problems) override;

    void createMainWindow(std::string_view title) override;
    void showMainWindow() override;
    void bringToFront() override;
    void showListPanel() override;
    void showRecordPanel() override;
    bool isListPanelVisible() const override;
    void restoreListView(int showMode, const std::string& libraryName,
                         const std::string& playlistName) override;
    void selectPlaylist(const std::string& name) override;
    bool ctrlHeld() const override;
    bool isRecording() const override;
    void stopRecording() override;
    bool isCddbExchangeRunning() const override;
    void saveState() override;

    void stop() override;
    void playPlaylist(mdb::MutableGroup& playlist) override;

  private:
    const app::Engine& engine_;
    app::PlayerSettings& settings_;
    std::function<std::string()> skinFolder_;
    std::function<bool()> closeGuard_;
    CMainWindow::DropHandler dropped_;
    std::function<mdb::MusicDatabase*()> library_;
    std::function<void()> saveLibrary_;
    std::unique_ptr<CMainWindow> window_;
    std::unique_ptr<library::CListPanel> listPanel_;  // refers to the window's player: goes first
    std::unique_ptr<record::CRecordPanel> recordPanel_;  // the same
};

}  // namespace ui
