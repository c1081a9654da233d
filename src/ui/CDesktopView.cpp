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
#include "mdb/MutableGroup.h"
#include "ui/SkinFolder.h"

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
    const std::vector<std::string> extensions(app::Engine::kMusicExtensions.begin(),
                                              app::Engine::kMusicExtensions.end());
    listPanel_ = std::make_unique<library::CListPanel>(
        settings_, window_->player(), std::make_shared<app::StreamTagAccess>(engine_.catalog()),
        extensions);
    window_->player().SetPanels(listPanel_.get(), nullptr);
    window_->setListPanelToggle([this] { toggleListPanel(); });
    window_->setSkinSelector([](std::string_view name) {
        app::SettingsStore settings;
        return SelectSkin(settings, app::dataFolder(), name);
    });
}

// The equalizer follows once the player is on the screen, so it does not
// hold up the first window.
void CDesktopView::showMainWindow() {
    window_->show();
    QTimer::singleShot(0, window_.get(), [window = window_.get()] { window->restoreEqualizer(); });
}

void CDesktopView::bringToFront() {
    window_->raise();
    window_->activateWindow();
}

// Showing the panel makes the player follow it ("ControlActive" 0).
void CDesktopView::showListPanel() {
    if (!listPanel_) {
        return;
    }
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

// The recording panel does not exist yet.
void CDesktopView::showRecordPanel() {}

bool CDesktopView::isListPanelVisible() const {
    return listPanel_ && listPanel_->isVisible();
}

void CDesktopView::restoreListView(int showMode, const std::string& libraryName,
                                   const std::string& playlistName) {
    mdb::MusicDatabase* db = library_ ? library_() : nullptr;
    if (!listPanel_ || db == nullptr) {
        return;
    }
    listPanel_->attach(*db);
    listPanel_->restoreView(showMode, libraryName, playlistName);
}

void CDesktopView::selectPlaylist(const std::string& name) {
    if (listPanel_) {
        listPanel_->selectPlaylist(name);
    }
}

bool CDesktopView::isRecording() const {
    return false;
}
void CDesktopView::stopRecording() {}
bool CDesktopView::isCddbExchangeRunning() const {
    return false;
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
