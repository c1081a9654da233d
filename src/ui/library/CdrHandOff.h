#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TemporaryPlaylistFile.h"

class QWidget;

namespace app {
class PlayerSettings;
}

namespace mdb {
class Group;
}

namespace ui::library {

class PanelDialogs;

// "CD-Rライティング": the playlist goes to the CD writing program as a
// temporary M3U file; the program's windows hide while it runs and come
// back when it ends. The program runs as a process of its own; the user
// interface goes on meanwhile, with nothing of it on the screen.
class CdrHandOff : public QObject {
  public:
    // What the hand-off asks of the rest of the program.
    struct Hooks {
        std::function<bool()> writerExists;  // a drive writes CD-R media
        std::function<bool()> recording;
        std::function<void()> stopPlayer;  // the player stops unless it has
        // The windows to hide while the program runs (null ones are skipped).
        std::function<std::vector<QWidget*>()> windows;
    };

    CdrHandOff(const app::PlayerSettings& settings, PanelDialogs& dialogs, Hooks hooks,
               QObject* parent = nullptr);
    ~CdrHandOff() override;

    // Runs the command for `playlist`, whose items' paths the caller read
    // under the database lock. False when it did not get as far as
    // starting the program.
    bool start(const mdb::Group& playlist, const std::vector<std::string>& files);
    bool running() const { return process_ != nullptr; }

  private:
    // The override cursor while the program is being started.
    class WaitCursor {
      public:
        WaitCursor();
        ~WaitCursor();
        WaitCursor(const WaitCursor&) = delete;
        WaitCursor& operator=(const WaitCursor&) = delete;
    };

    bool mayStart(const QString& command);
    bool writePlaylist(const mdb::Group& playlist);
    void launch(const QString& command);
    void started();
    void failed(QProcess::ProcessError error);
    void ended();

    const app::PlayerSettings& settings_;
    PanelDialogs& dialogs_;
    Hooks hooks_;
    std::optional<app::TemporaryPlaylistFile> file_;
    std::unique_ptr<QProcess> process_;
    std::vector<QPointer<QWidget>> hidden_;
    std::optional<WaitCursor> waitCursor_;
};

}  // namespace ui::library
