// The recording panel's runs: starting and stopping them, their progress
// and the filing of the finished files.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <algorithm>
#include <filesystem>

#include "app/CPlayController.h"
#include "app/MusicFiles.h"
#include "app/PlayerSettings.h"
#include "app/RecordingFiler.h"
#include "app/RecordingSizes.h"
#include "app/Settings.h"
#include "mdb/MusicDatabase.h"
#include "platform/AsciiText.h"
#include "platform/Processors.h"
#include "platform/Registry.h"
#include "platform/cd/DriveList.h"
#include "ui/record/CRecordPanel.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr int kBarSteps = 1000;

bool counts(const app::RecordingEntry& entry) {
    return entry.selection != app::RecordingEntry::kNotSelected || entry.processed;
}

int barValue(int64_t part, int64_t whole) {
    return whole > 0 ? static_cast<int>(std::min<int64_t>(part * kBarSteps / whole, kBarSteps)) : 0;
}

}  // namespace

void CRecordPanel::StartRecording() {
    if (IsRecording() || !checkBeforeStart()) {
        return;
    }
    if (player_.SourceKind() == app::CPlayController::kRecordingKind && player_.GetStatus() != 0) {
        player_.Stop();
    }
    format_ = currentFormat();
    if (!format_) {
        dialogs_->tell(texts::kNoFormat);
        return;
    }
    RenameEntries();  // the options may have changed the format or the names
    lastPosition_ = -1;
    progressTimer_.start();
    run_->start(format_->sinkKind, entriesAtOnce());
}

// One entry per processor: reading an image or a file is cheap, the
// encoding is the cost. Tracks of a real drive go one at a time, as two
// readers would make its head seek back and forth.
size_t CRecordPanel::entriesAtOnce() const {
    const platform::cd::DriveList drives(platform::cd::DriveList::systemOptions());
    const platform::cd::CdDrive* drive = drives.find(drive_);
    const bool readsDevice =
        drive != nullptr && drive->kind() == platform::cd::CdDrive::Kind::Device &&
        std::any_of(model_.entries().begin(), model_.entries().end(), [](const auto& entry) {
            return entry.cdTrack && entry.selection != app::RecordingEntry::kNotSelected;
        });
    return readsDevice ? 1 : platform::usableProcessors();
}

bool CRecordPanel::checkBeforeStart() {
    if (model_.entries().empty()) {
        show();
        dialogs_->tell(texts::kNoCd);
        return false;
    }
    if (!disc_.tracks.empty() && disc_.title.find_first_not_of(' ') == std::string::npos) {
        show();
        dialogs_->tell(texts::kSetAlbumTitle);
        discTitle_->setFocus();
        return false;
    }
    return !overwritesSources() || dialogs_->askYesNo(texts::kOverwriteQuestion);
}

bool CRecordPanel::overwritesSources() const {
    const auto format =
        app::RecordingFormat::of(engine_, settings_.read(app::settings::kCurrentWriter));
    const std::string panelExtension = format ? format->extension : std::string();
    for (const app::RecordingEntry& entry : model_.entries()) {
        const std::string extension = entry.format ? entry.format->GetExtension() : panelExtension;
        const std::string output =
            std::filesystem::path(entry.sourcePath).replace_extension(extension).string();
        if (!entry.cdTrack && entry.selection != app::RecordingEntry::kNotSelected &&
            platform::equalsIgnoreCase(output, entry.sourcePath)) {
            return true;
        }
    }
    return false;
}

void CRecordPanel::StopRecording() {
    run_->stop();
}

app::RecordingRun::Hooks CRecordPanel::runHooks() {
    app::RecordingRun::Hooks hooks;
    hooks.askRecordedAgain = [this](const app::RecordingEntry& entry) {
        return dialogs_->askRecordedAgain(entry.title);
    };
    hooks.finished = [this](size_t row) { fileFinished(row); };
    hooks.changed = [this](size_t row) { entryChanged(row); };
    hooks.ended = [this] { runEnded(); };
    return hooks;
}

std::string CRecordPanel::sourceName(const app::RecordingEntry& entry) const {
    return entry.cdTrack ? drive_ + "\\Track" + std::to_string(entry.trackNumber) + ".cda"
                         : entry.sourcePath;
}

void CRecordPanel::entryChanged(size_t row) {
    model_.showRow(row);
    if (model_.entries()[row].status == app::RecordingEntry::kRecording) {
        table_->scrollTo(model_.index(static_cast<int>(row), 0));
    }
}

// The record takes the tag fields: a CD track's from the disc, a file's
// from its entry. A file the library will not take stays recorded.
void CRecordPanel::fileFinished(size_t row) {
    app::RecordingEntry& entry = model_.entries()[row];
    mdb::MusicDatabase* db = library_ ? library_() : nullptr;
    if (db != nullptr) {
        mdb::MusicInfo record;
        if (entry.cdTrack) {
            record = app::rippedTrackRecord(disc_, entry.trackIndex, entry.outputPath);
            record.title = entry.title;
        } else {
            record.path = entry.outputPath;
            record.title = entry.title;
            record.album = entry.album;
            record.artist = entry.artist;
            record.comment = entry.comment;
            record.genre = entry.genre;
            record.track = entry.trackIndex >= 0 ? static_cast<uint32_t>(entry.trackIndex + 1) : 0;
        }
        try {
            app::fileRecording(*db, record);
        } catch (const std::exception& e) {
            entry.error = e.what();
        }
    }
    storeDiscEdits();
    refreshInfo();
    // What the run filed is saved now, not only after the library's quiet spell.
    if (saveLibrary_) {
        saveLibrary_();
    }
}

void CRecordPanel::runEnded() {
    progressTimer_.stop();
    status_->clear();
    entryProgress_->setValue(0);
    runProgress_->setValue(0);
    storeDiscEdits();
    refreshInfo();
}

void CRecordPanel::showProgress() {
    run_->poll();
    const int32_t current = run_->current();
    if (!run_->running() || current < 0) {
        return;
    }
    const app::RecordingRun::Progress at = run_->progress();
    int64_t totalMs = 0;
    for (const app::RecordingEntry& entry : model_.entries()) {
        totalMs += counts(entry) ? int64_t{entry.lengthSeconds} * 1000 : 0;
    }
    entryProgress_->setValue(barValue(at.positionMs, at.lengthMs));
    runProgress_->setValue(barValue(at.finishedMs + at.writingMs, totalMs));
    if (at.positionMs != lastPosition_) {
        lastPosition_ = at.positionMs;
        const QString title =
            QString::fromStdString(model_.entries()[static_cast<size_t>(current)].title);
        status_->setText(qt(texts::kRecordingStatus)
                             .arg(barValue(at.positionMs, at.lengthMs) / 10)
                             .arg(current + 1)
                             .arg(title));
    }
}

// Free space is shown, never checked: a full disk fails the entry.
void CRecordPanel::refreshInfo() {
    const auto rules = cdinfo::NamingRules::fromSettings(platform::Registry::instance());
    std::error_code ec;
    const auto space = std::filesystem::space(app::absolutePath(rules.musicPath), ec);
    const int64_t free = ec ? -1 : static_cast<int64_t>(space.available);
    int64_t size = 0, seconds = 0;
    for (const app::RecordingEntry& entry : model_.entries()) {
        if (counts(entry)) {
            size += entry.size;
            seconds += entry.lengthSeconds;
        }
    }
    info_->setText(qt(texts::kFreeSpace)
                       .arg(QString::fromStdString(app::recordingSizeText(free)))
                       .arg(QString::fromStdString(app::recordingSizeText(size)))
                       .arg(QString::fromStdString(app::recordingLengthText(seconds))));
}

}  // namespace ui::record
