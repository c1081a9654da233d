#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "mdb/LoadFindings.h"

namespace app {

// What the application object asks of the desktop program's windows: the
// main window with its panels, and message boxes under the title
// "MP3 Melodux" (those before the main window exists stand alone).
class AppView {
  public:
    // The answer to a failed library save at exit.
    enum class SaveFailureChoice { Retry, QuitWithoutSaving, Cancel };

    virtual ~AppView() = default;

    // Exclamation icon, OK.
    virtual void showMessage(std::string_view text) = 0;
    // Stop icon, OK.
    virtual void showStopMessage(std::string_view text) = 0;
    // Question icon, OK and Cancel; true for OK.
    virtual bool askOkCancel(std::string_view text) = 0;
    virtual SaveFailureChoice askSaveFailed(std::string_view text) = 0;
    // The library could not be opened (mdb::LibraryInUseException while
    // another program holds it, mdb::FileIOException for a file that cannot
    // be read); the program ends.
    virtual void reportLibraryOpenFailure(const std::exception& failure) = 0;
    // What the library's load could not take.
    virtual void reportLoadProblems(const std::vector<mdb::LoadProblem>& problems) = 0;

    virtual void createMainWindow(std::string_view title) = 0;
    virtual void showMainWindow() = 0;
    virtual void bringToFront() = 0;
    // The panels, shown without being activated.
    virtual void showListPanel() = 0;
    virtual void showRecordPanel() = 0;
    virtual bool isListPanelVisible() const = 0;
    // The list/edit panel's view as "LibraryShowMode", "CurrentLibraryName"
    // and "CurrentPlaylistName" left it.
    virtual void restoreListView(int showMode, const std::string& libraryName,
                                 const std::string& playlistName) = 0;
    virtual void selectPlaylist(const std::string& name) = 0;
    // Whether the Ctrl key is held now.
    virtual bool ctrlHeld() const = 0;

    virtual bool isRecording() const = 0;
    // The recording panel's stop command.
    virtual void stopRecording() = 0;
    virtual bool isCddbExchangeRunning() const = 0;
    // The main window writes its settings (placement, layout, panels).
    virtual void saveState() = 0;
};

}  // namespace app
