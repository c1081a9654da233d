#pragma once

#include <QKeySequence>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PlayerPanels.h"
#include "app/RecordingFormat.h"
#include "app/RecordingRun.h"
#include "cdinfo/CDiscID.h"
#include "ui/record/DiscLookup.h"
#include "ui/record/DriveTasks.h"
#include "ui/record/FileProbe.h"
#include "ui/record/MediaWatch.h"
#include "ui/record/RecordDialogs.h"
#include "ui/record/RecordListModel.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QTableView;
class QToolButton;

namespace app {
class CPlayController;
class Engine;
class PlayerSettings;
}  // namespace app

namespace mdb {
class MusicDatabase;
}

namespace ui::record {

// The recording panel ("Recording"): the tracks of the audio CD in the
// chosen drive and the music files added for conversion, recorded into
// files of the recording format (several at once) and filed into the
// library in list order. The writing runs on the writers' threads; the
// panel follows it on a 100 ms timer. The player plays the panel's list while
// "ControlActive" is 1.
class CRecordPanel : public QWidget, public app::PlayerRecordingPanel {
  public:
    using Library = std::function<mdb::MusicDatabase*()>;

    // `library` is asked for the library when a file is finished (null:
    // not loaded); `dialogs` answers for the user (Qt dialogs when null).
    CRecordPanel(const app::Engine& engine, app::PlayerSettings& settings,
                 app::CPlayController& player, Library library,
                 std::unique_ptr<RecordDialogs> dialogs = nullptr);
    ~CRecordPanel() override;

    // Shown without being activated: where it was, else below `player`.
    void showBeside(const QRect& player);
    // The options command of the panel.
    void setOptionsOpener(std::function<void()> open) { openOptions_ = std::move(open); }
    // Called when a run has ended, so that what it filed is saved at once.
    void setLibrarySaver(std::function<void()> save) { saveLibrary_ = std::move(save); }

    // Reads the disc in the chosen drive: local CD database first, then
    // CDDB when it is enabled. Off the UI thread; the list follows.
    void readDisc();
    // The disc on the network only ("CD情報取得").
    void lookUpDisc();
    // The options changed the drive: the disc is read again at the next
    // look at the drive.
    void discChanged();
    bool lookingUp() const { return lookup_.running() || listingDrives_; }
    // The drive has been looked at since the panel started or the drive changed.
    bool mediaKnown() const { return mediaWatch_.known(); }
    // Files added for conversion whose lengths are still being read.
    bool readingFiles() const { return probe_.busy(); }
    void RebuildCdEntries(const cdinfo::CDiscID& disc);
    const cdinfo::CDiscID& disc() const { return disc_; }

    void StartRecording();
    void StopRecording();
    void AddFilesForConversion(const std::vector<std::string>& paths);
    void RenameEntries();
    void addFiles();
    void selectAll(bool selected);
    void eject();
    // Submits the disc's titles to CDDB ("post").
    void post();
    // The format command of the selected entry: its own recording format.
    void chooseEntryFormat();
    // Double-click: the player plays the row.
    void playRow(int row);

    RecordListModel& model() { return model_; }
    QTableView& table() const { return *table_; }
    QProgressBar& entryProgress() const { return *entryProgress_; }
    QProgressBar& runProgress() const { return *runProgress_; }
    QString statusText() const;
    QString infoText() const;
    QLineEdit& discTitleField() const { return *discTitle_; }
    QLineEdit& discArtistField() const { return *discArtist_; }
    QLineEdit& discExtraField() const { return *discExtra_; }

    // app::PlayerRecordingPanel
    int32_t Count() const override;
    Entry EntryAt(int32_t index) const override;
    std::string DriveText() const override;
    std::string DiscArtist() const override { return disc_.artist; }
    int32_t DiscIdentity() const override { return discIdentity_; }
    bool IsRecording() const override;
    int32_t SelectedTrack() const override;
    int32_t RecordingTrack() const override;
    void PlaybackChanged() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QWidget* buildButtons();
    QWidget* buildDiscFields();
    QWidget* buildProgress();
    QTableView* buildTable();
    void addEntryCommands();
    QToolButton* addButton(std::string_view tooltip, const QKeySequence& keys,
                           std::function<void()> run);
    void saveSettings();
    void startLookup(int mode);
    void lookUpDrive(const std::string& drive, int mode);
    void lookupTick();
    void requestDone(int kind, uint32_t result, const cdinfo::CDiscID& disc);
    void lookupDone(uint32_t result, const cdinfo::CDiscID& disc);
    void postDone(uint32_t result, const cdinfo::CDiscID& disc);
    void editDiscTitle();
    void editDiscArtist();
    void editDiscExtra();
    void titleEdited(size_t row);
    void storeDiscEdits();
    std::vector<std::string> genreNames() const;
    std::optional<app::RecordingFormat> currentFormat();
    app::RecordingEntry fileEntry(const std::string& path,
                                  const app::RecordingFormat& format) const;
    void fileProbed(const ProbedFile& file);
    void fillFileEntry(app::RecordingEntry& entry, const ProbedFile& file) const;
    void giveFormat(size_t row, const NxRef<CNxSSWriterSettings>& format);
    std::string outputPathOf(const app::RecordingEntry& entry, const std::string& extension) const;
    std::vector<std::string> cdOutputPaths(const std::string& extension) const;
    bool checkBeforeStart();
    bool overwritesSources() const;
    size_t entriesAtOnce() const;
    app::RecordingRun::Hooks runHooks();
    std::string sourceName(const app::RecordingEntry& entry) const;
    void entryChanged(size_t row);
    void fileFinished(size_t row);
    void runEnded();
    void showProgress();
    void refreshInfo();
    void tellPlayer(int32_t event);
    bool mayWatchMedia() const;

    const app::Engine& engine_;
    app::PlayerSettings& settings_;
    app::CPlayController& player_;
    Library library_;
    std::unique_ptr<RecordDialogs> dialogs_;
    std::function<void()> openOptions_;
    std::function<void()> saveLibrary_;
    RecordListModel model_;
    cdinfo::CDiscID disc_;
    int32_t discIdentity_ = -1;
    std::string drive_;                           // a letter and a colon
    std::optional<app::RecordingFormat> format_;  // the format of the current run
    DiscLookup lookup_;
    MediaWatch mediaWatch_;  // from the panel's start, shown or not
    DriveTasks drives_;
    bool listingDrives_ = false;
    FileProbe probe_;
    std::string probeFailures_;  // the files that could not be added, told at the end
    std::unique_ptr<app::RecordingRun> run_;
    QTimer progressTimer_;
    int32_t lastPosition_ = -1;

    QTableView* table_ = nullptr;
    QLineEdit* discTitle_ = nullptr;
    QLineEdit* discArtist_ = nullptr;
    QLineEdit* discExtra_ = nullptr;
    QProgressBar* entryProgress_ = nullptr;
    QProgressBar* runProgress_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* info_ = nullptr;
};

}  // namespace ui::record
