#include "ui/CDesktopView.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/AppTexts.h"
#include "app/DataFolder.h"
#include "app/Engine.h"
#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "app/StreamTagAccess.h"
#include "cdinfo/CCdda.h"
#include "mdb/MutableGroup.h"
#include "ui/SkinFolder.h"
#include "ui/equalizer/CEqualizerWindow.h"
#include "ui/library/LibraryTexts.h"

namespace ui {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CDesktopView::CDesktopView(const app::Engine& engine, app::PlayerSettings& settings,
                           std::function<std::string()> skinFolder)
    : engine_(engine), settings_(settings), skinFolder_(std::move(skinFolder)) {}

CDesktopView::~CDesktopView() {
    if (window_) {
        window_->player().SetPanels(nullptr, nullptr);
    }
}

void CDesktopView::showMessage(std::string_view text) {
    QMessageBox::warning(window_.get(), qt(app::texts::kAppTitle), qt(text));
}

void CDesktopView::showStopMessage(std::string_view text) {
    QMessageBox::critical(window_.get(), qt(app::texts::kAppTitle), qt(text));
}

bool CDesktopView::askOkCancel(std::string_view text) {
    return QMessageBox::question(window_.get(), qt(app::texts::kAppTitle), qt(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

app::AppView::SaveFailureChoice CDesktopView::askSaveFailed(std::string_view text) {
    QMessageBox box(QMessageBox::Warning, qt(app::texts::kAppTitle), qt(text),
                    QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel, window_.get());
    switch (box.exec()) {
        case QMessageBox::Retry:
            return SaveFailureChoice::Retry;
        case QMessageBox::Discard:
            return SaveFailureChoice::QuitWithoutSaving;
        default:
            return SaveFailureChoice::Cancel;
    }
}

void CDesktopView::reportLibraryOpenFailure(const std::exception& failure) {
    showStopMessage(failure.what());
}

void CDesktopView::reportLoadProblems(const std::vector<mdb::LoadProblem>& problems) {
    std::string text;
    for (const mdb::LoadProblem& problem : problems) {
        text += problem.text() + "\n";
    }
    showMessage(text);
}

void CDesktopView::createMainWindow(std::string_view title) {
    window_ = std::make_unique<CMainWindow>(skinFolder_(), engine_, settings_);
    window_->setWindowTitle(qt(title));
    window_->setCloseGuard(closeGuard_);
    window_->setDropHandler(dropped_);
    window_->setListPanelToggle([this] { toggleListPanel(); });
    window_->setRecordPanelToggle([this] { toggleRecordPanel(); });
    window_->setPanelFocus([this] { focusVisiblePanel(); });
    window_->setRecordStarter([this] { startRecording(); });
    // The panel reads the format and the drive from the settings the
    // dialog has written.
    window_->setRecordingHandOver({[this](NxRef<CNxSSWriterSettings>) {
                                       makePanels();
                                       recordPanel_->RenameEntries();
                                   },
                                   [this] {
                                       makePanels();
                                       recordPanel_->discChanged();
                                   }});
    window_->setSkinSelector([](std::string_view name) {
        app::SettingsStore settings;
        return SelectSkin(settings, app::dataFolder(), name);
    });
    window_->setSkinListener([this](const std::filesystem::path& folder) {
        if (listPanel_) {
            listPanel_->setSkinFolder(folder);
        }
    });
}

// The panels and the equalizer follow once the player is on the screen, so
// they do not hold up the first window; a panel asked for sooner is made
// then.
void CDesktopView::showMainWindow() {
    window_->show();
    QTimer::singleShot(0, window_.get(), [this] {
        makePanels();
        window_->restoreEqualizer();
    });
}

void CDesktopView::makePanels() {
    if (listPanel_) {
        return;
    }
    listPanel_ = std::make_unique<library::CListPanel>(
        settings_, window_->player(), std::make_shared<app::StreamTagAccess>(engine_.catalog()),
        app::Engine::musicExtensions());
    listPanel_->setSkinFolder(window_->skinFolder());
    recordPanel_ = std::make_unique<record::CRecordPanel>(
        engine_, settings_, window_->player(), [this] { return library_ ? library_() : nullptr; });
    recordPanel_->setOptionsOpener([this] { window_->openOptions(); });
    recordPanel_->setLibrarySaver([this] {
        if (saveLibrary_) {
            saveLibrary_();
        }
    });
    window_->player().SetPanels(listPanel_.get(), recordPanel_.get());
    listPanel_->setConversionTarget([this](const std::vector<std::string>& paths) {
        // The list cannot change while it is being recorded.
        if (isRecording()) {
            showMessage(library::texts::kBusyRecording);
            return;
        }
        if (!recordPanel_->isVisible()) {
            recordPanel_->showBeside(window_->frameGeometry());
        }
        recordPanel_->AddFilesForConversion(paths);
    });
    listPanel_->setCdrHooks(
        {[] { return cdinfo::CCdda().IsCdrExist() != 0; }, [this] { return isRecording(); },
         [this] {
             if (window_->player().GetStatus() != 0) {
                 window_->player().Stop();
             }
         },
         [this] {
             return std::vector<QWidget*>{window_.get(), listPanel_.get(), recordPanel_.get(),
                                          window_->equalizerWindow()};
         }});
}

void CDesktopView::bringToFront() {
    window_->raise();
    window_->activateWindow();
}

// Showing the panel makes the player follow it ("ControlActive" 0).
void CDesktopView::showListPanel() {
    makePanels();
    listPanel_->showBeside(window_->frameGeometry());
    settings_.write(app::settings::kControlActive, 0);
    window_->player().FollowListPanel(false);
}

void CDesktopView::toggleListPanel() {
    if (isListPanelVisible()) {
        listPanel_->hide();
    } else {
        showListPanel();
    }
}

// Showing the panel makes the player follow it ("ControlActive" 1).
void CDesktopView::showRecordPanel() {
    makePanels();
    recordPanel_->showBeside(window_->frameGeometry());
    settings_.write(app::settings::kControlActive, 1);
    window_->player().FollowRecordingPanel(false);
}

void CDesktopView::toggleRecordPanel() {
    if (recordPanel_ && recordPanel_->isVisible()) {
        recordPanel_->close();
    } else {
        showRecordPanel();
    }
}

// The list/edit panel first, then the recording panel: whichever is shown.
void CDesktopView::focusVisiblePanel() {
    for (QWidget* panel :
         {static_cast<QWidget*>(listPanel_.get()), static_cast<QWidget*>(recordPanel_.get())}) {
        if (panel != nullptr && panel->isVisible()) {
            panel->raise();
            panel->activateWindow();
            return;
        }
    }
}

void CDesktopView::startRecording() {
    makePanels();
    if (!recordPanel_->isVisible()) {
        recordPanel_->showBeside(window_->frameGeometry());
    }
    if (!isListPanelVisible() && settings_.read(app::settings::kControlActive) == 0) {
        settings_.write(app::settings::kControlActive, 1);
        window_->player().FollowRecordingPanel(false);
    }
    recordPanel_->StartRecording();
}

bool CDesktopView::isListPanelVisible() const {
    return listPanel_ && listPanel_->isVisible();
}

void CDesktopView::restoreListView(int showMode, const std::string& libraryName,
                                   const std::string& playlistName) {
    mdb::MusicDatabase* db = library_ ? library_() : nullptr;
    if (db == nullptr) {
        return;
    }
    makePanels();
    listPanel_->attach(*db);
    listPanel_->restoreView(showMode, libraryName, playlistName);
}

void CDesktopView::selectPlaylist(const std::string& name) {
    makePanels();
    listPanel_->selectPlaylist(name);
}

bool CDesktopView::isRecording() const {
    return recordPanel_ && recordPanel_->IsRecording();
}

void CDesktopView::stopRecording() {
    if (recordPanel_) {
        recordPanel_->StopRecording();
    }
}

bool CDesktopView::isCddbExchangeRunning() const {
    return recordPanel_ && recordPanel_->lookingUp();
}

// The layout and the other window settings are stored as they change.
void CDesktopView::saveState() {
    if (window_) {
        window_->savePlacement();
    }
}

bool CDesktopView::ctrlHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void CDesktopView::stop() {
    if (window_) {
        window_->player().Stop();
    }
}

// The panel has the playlist selected already (selectPlaylist).
void CDesktopView::playPlaylist(mdb::MutableGroup& playlist) {
    if (listPanel_ && listPanel_->CurrentList() != &playlist) {
        listPanel_->selectPlaylist(playlist.getName());
    }
    window_->player().FollowListPanel(true);
    window_->player().Play();
}

}  // namespace ui
