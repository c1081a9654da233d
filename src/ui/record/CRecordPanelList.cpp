// The recording panel's list: the disc's tracks, files added for
// conversion, their output names and the disc's information.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableView>
#include <algorithm>
#include <filesystem>

#include "app/CPlayController.h"
#include "app/Engine.h"
#include "app/MusicFiles.h"
#include "app/PlayerSettings.h"
#include "app/RecordingSizes.h"
#include "app/RipNaming.h"
#include "app/Settings.h"
#include "mdb/ChangeNotifier.h"
#include "mdb/MusicDatabase.h"
#include "platform/AsciiText.h"
#include "platform/Registry.h"
#include "stream/ErrorText.h"
#include "ui/record/CRecordPanel.h"
#include "ui/record/RecordTexts.h"

namespace ui::record {
namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string withoutLeadingBlanks(const std::string& text) {
    return std::string(platform::trimFront(text, " "));
}

std::string defaultTrackTitle(int number) {
    return QString::asprintf("Track%02d", number).toStdString();
}

std::string convertedPath(const std::string& source, const std::string& extension) {
    return std::filesystem::path(source).replace_extension(extension).string();
}

int32_t listEvent(mdb::ChangeKind kind) {
    return static_cast<int32_t>(kind);
}

}  // namespace

void CRecordPanel::readDisc() {
    startLookup(settings_.read(app::settings::kCddbEnable) != 0 ? cdinfo::CDDB_REQDATA::kLocalFirst
                                                                : cdinfo::CDDB_REQDATA::kLocalOnly);
}

void CRecordPanel::lookUpDisc() {
    startLookup(cdinfo::CDDB_REQDATA::kNetworkOnly);
}

void CRecordPanel::discChanged() {
    mediaWatch_.forget();
}

// The automatic drive choice is the first drive; listing the drives wakes
// each of them, so it is done off the UI thread.
void CRecordPanel::startLookup(int mode) {
    if (IsRecording() || lookingUp()) {
        return;
    }
    storeDiscEdits();
    const std::string drive = settings_.read(app::settings::kCdDrive).substr(0, 2);
    if (!drive.empty()) {
        lookUpDrive(drive, mode);
        return;
    }
    listingDrives_ = true;
    drives_.listDrives([this, mode](const std::vector<std::string>& drives) {
        listingDrives_ = false;
        lookUpDrive(drives.empty() ? std::string() : drives.front().substr(0, 2), mode);
    });
}

void CRecordPanel::lookUpDrive(const std::string& drive, int mode) {
    drive_ = drive;
    if (drive_.empty()) {
        RebuildCdEntries({});
        status_->setText(qt(texts::kNoDisc));
    } else if (lookup_.start(drive_, mode, genreNames())) {
        busy_->show();
    }
}

void CRecordPanel::lookupTick() {
    if (lookup_.stage() == cdinfo::CDDB_REQDATA::Stage::Querying) {
        status_->setText(qt(texts::kAccessingCddb));
    }
}

void CRecordPanel::requestDone(int kind, uint32_t result, const cdinfo::CDiscID& disc) {
    busy_->hide();
    status_->clear();
    if (kind == cdinfo::CDDB_REQDATA::kSubmit) {
        postDone(result, disc);
    } else {
        lookupDone(result, disc);
    }
}

// Without titles the disc still gives its tracks, named by number.
void CRecordPanel::lookupDone(uint32_t result, const cdinfo::CDiscID& disc) {
    if (result == cdinfo::kCddaNoDisc) {
        status_->setText(qt(texts::kNoDisc));
    } else if (result == cdinfo::kCddaNetworkError) {
        dialogs_->tell(texts::kNetworkError);
    }
    RebuildCdEntries(disc);
}

std::vector<std::string> CRecordPanel::genreNames() const {
    std::vector<std::string> names;
    const mdb::MusicDatabase* db = library_ ? library_() : nullptr;
    if (db == nullptr) {
        return names;
    }
    for (uint32_t genre = 0; genre < db->genres().count(); ++genre) {
        names.push_back(db->genres().name(genre));
    }
    return names;
}

void CRecordPanel::RebuildCdEntries(const cdinfo::CDiscID& disc) {
    disc_ = disc;
    probe_.forget();
    probeFailures_.clear();
    discTitle_->setText(QString::fromStdString(disc_.title));
    discArtist_->setText(QString::fromStdString(disc_.artist));
    discExtra_->setText(QString::fromStdString(disc_.extra));
    const auto format = currentFormat();
    const std::vector<std::string> paths = cdOutputPaths(format ? format->extension : "wav");
    std::vector<app::RecordingEntry> entries;
    for (size_t i = 0; i < disc_.tracks.size(); ++i) {
        const cdinfo::CDiscTrack& track = disc_.tracks[i];
        if (!track.audio) {
            continue;  // nothing to record or play
        }
        app::RecordingEntry entry;
        entry.cdTrack = true;
        entry.trackIndex = static_cast<int>(i);
        entry.trackNumber = disc_.TrackNumber(i);
        entry.title = withoutLeadingBlanks(track.title);
        if (entry.title.empty()) {
            entry.title = defaultTrackTitle(entry.trackNumber);
        }
        entry.artist = track.artist;
        entry.comment = track.extra;
        entry.lengthSeconds = static_cast<int32_t>(track.frames / 75);
        entry.size = app::estimatedRecordingSize(format ? format->bitRate : 0, entry.lengthSeconds);
        entry.status = track.state;
        const bool recorded = track.state == app::RecordingEntry::kRecorded;
        entry.outputPath = recorded && !track.outputPath.empty() ? track.outputPath
                           : i < paths.size()                    ? paths[i]
                                                                 : std::string();
        entry.selection = recorded || track.state == app::RecordingEntry::kSettingError
                              ? app::RecordingEntry::kNotSelected
                              : app::RecordingEntry::kSelected;
        entries.push_back(std::move(entry));
    }
    model_.setFormatText(format ? format->description : std::string());
    model_.setEntries(std::move(entries));
    table_->clearSelection();
    ++discIdentity_;
    tellPlayer(listEvent(disc_.tracks.empty() ? mdb::ChangeKind::Destroyed
                                              : mdb::ChangeKind::ItemChanged));
    refreshInfo();
}

std::vector<std::string> CRecordPanel::cdOutputPaths(const std::string& extension) const {
    if (disc_.tracks.empty()) {
        return {};
    }
    auto rules = cdinfo::NamingRules::fromSettings(platform::Registry::instance());
    rules.musicPath = app::absolutePath(rules.musicPath);  // the library takes absolute paths
    return app::ripOutputPaths(disc_, rules, extension);
}

std::optional<app::RecordingFormat> CRecordPanel::currentFormat() {
    return app::RecordingFormat::of(engine_, settings_.read(app::settings::kCurrentWriter));
}

// A run keeps the names and the format it started with. An entry with its
// own format keeps that format's extension and bit rate.
void CRecordPanel::RenameEntries() {
    const auto format = currentFormat();
    if (!format || IsRecording()) {
        return;
    }
    for (app::RecordingEntry& entry : model_.entries()) {
        if (entry.status == app::RecordingEntry::kRecording ||
            entry.status == app::RecordingEntry::kRecorded) {
            continue;
        }
        const std::string extension =
            entry.format ? entry.format->GetExtension() : format->extension;
        entry.outputPath = outputPathOf(entry, extension);
        entry.size = app::estimatedRecordingSize(
            entry.format ? entry.format->GetBitrate() : format->bitRate, entry.lengthSeconds);
    }
    model_.setFormatText(format->description);
    model_.showAll();
    refreshInfo();
}

std::string CRecordPanel::outputPathOf(const app::RecordingEntry& entry,
                                       const std::string& extension) const {
    if (!entry.cdTrack) {
        return convertedPath(entry.sourcePath, extension);
    }
    const std::vector<std::string> paths = cdOutputPaths(extension);
    const auto track = static_cast<size_t>(entry.trackIndex);
    return track < paths.size() ? paths[track] : std::string();
}

// The entries show at once; each file's length, its library record and
// whether the writer takes it follow from the pool as they are read.
void CRecordPanel::AddFilesForConversion(const std::vector<std::string>& paths) {
    if (IsRecording() || paths.empty()) {
        return;
    }
    const auto format = currentFormat();
    if (!format) {
        dialogs_->tell(texts::kNoFormat);
        return;
    }
    std::vector<app::RecordingEntry> added;
    std::vector<std::string> probed;
    for (const std::string& path : paths) {
        if (platform::equalsIgnoreCase(std::filesystem::path(path).extension().string(), ".wma")) {
            dialogs_->tell(path + "\r\n" + std::string(texts::kNotConvertible));
        } else {
            added.push_back(fileEntry(path, *format));
            probed.push_back(path);
        }
    }
    if (added.empty()) {
        return;
    }
    model_.setFormatText(format->description);
    model_.append(std::move(added));
    probe_.probe(probed, *format, library_ ? library_() : nullptr);
    tellPlayer(listEvent(mdb::ChangeKind::Added));
    refreshInfo();
}

app::RecordingEntry CRecordPanel::fileEntry(const std::string& path,
                                            const app::RecordingFormat& format) const {
    app::RecordingEntry entry;
    entry.sourcePath = path;
    entry.title = std::filesystem::path(path).stem().string();
    entry.status = app::RecordingEntry::kNone;
    entry.selection = app::RecordingEntry::kSelected;
    entry.outputPath = convertedPath(path, format.extension);
    return entry;
}

// Every entry of the file takes the answer. A file that cannot be read
// leaves the list (one message for all of them once the last answer is
// in); during a run it stays, failed, as the run holds the list.
void CRecordPanel::fileProbed(const ProbedFile& file) {
    bool removed = false;
    for (size_t row = model_.entries().size(); row-- > 0;) {
        app::RecordingEntry& entry = model_.entries()[row];
        if (entry.cdTrack || entry.sourcePath != file.path) {
            continue;
        }
        if (file.error == 0) {
            fillFileEntry(entry, file);
            model_.showRow(row);
        } else if (!IsRecording()) {
            model_.remove(row);
            removed = true;
        } else if (entry.status == app::RecordingEntry::kNone) {
            entry.selection = app::RecordingEntry::kNotSelected;
            entry.status = app::RecordingEntry::kFailed;
            entry.error = GetErrorText(file.error);
            model_.showRow(row);
        }
    }
    if (removed) {
        tellPlayer(listEvent(mdb::ChangeKind::Removed));
    }
    if (file.error != 0) {
        probeFailures_ += file.path + "\r\n" + GetErrorText(file.error) + "\r\n";
    }
    if (probe_.busy()) {
        return;  // the totals once the last answer is in
    }
    refreshInfo();
    if (!probeFailures_.empty()) {
        const std::string failures = std::move(probeFailures_);
        probeFailures_.clear();
        dialogs_->tell(failures.substr(0, failures.size() - 2));
    }
}

// Titles and the rest come from the library's record of the file, when it
// has one. An entry already under way keeps its status.
void CRecordPanel::fillFileEntry(app::RecordingEntry& entry, const ProbedFile& file) const {
    entry.lengthSeconds = file.lengthSeconds;
    if (file.record) {
        const mdb::MusicInfo& info = *file.record;
        entry.title = info.title.empty() ? entry.title : info.title;
        entry.album = info.album;
        entry.artist = info.artist;
        entry.comment = info.comment;
        entry.genre = info.genre;
        entry.trackIndex = static_cast<int>(info.track) - 1;
    }
    if (entry.status != app::RecordingEntry::kNone || entry.format) {
        return;
    }
    if (file.refused) {
        entry.status = app::RecordingEntry::kSettingError;
        entry.selection = app::RecordingEntry::kNotSelected;
    }
    entry.size = file.size;
}

void CRecordPanel::addFiles() {
    if (IsRecording()) {
        return;
    }
    const auto choice = dialogs_->chooseFiles(settings_.read(app::settings::kSourceFilePath),
                                              settings_.read(app::settings::kSourceFileType));
    if (!choice || choice->paths.empty()) {
        return;
    }
    settings_.write(app::settings::kSourceFilePath,
                    std::filesystem::path(choice->paths.front()).parent_path().string());
    settings_.write(app::settings::kSourceFileType, choice->filter);
    AddFilesForConversion(choice->paths);
}

void CRecordPanel::selectAll(bool selected) {
    for (app::RecordingEntry& entry : model_.entries()) {
        if (!selected || entry.status != app::RecordingEntry::kSettingError) {
            entry.selection =
                selected ? app::RecordingEntry::kSelected : app::RecordingEntry::kNotSelected;
        }
    }
    model_.showAll();
    refreshInfo();
}

void CRecordPanel::eject() {
    if (player_.SourceKind() == app::CPlayController::kRecordingKind && player_.GetStatus() != 0) {
        player_.Stop();
    }
    drives_.eject(drive_);
}

void CRecordPanel::editDiscTitle() {
    const std::string title = withoutLeadingBlanks(discTitle_->text().toStdString());
    if (title == disc_.title) {
        return;
    }
    disc_.title = title;
    RenameEntries();
    tellPlayer(listEvent(mdb::ChangeKind::ItemChanged));
}

void CRecordPanel::editDiscArtist() {
    const std::string artist = discArtist_->text().toStdString();
    if (artist == disc_.artist) {
        return;
    }
    disc_.SetDiscArtist(artist, 1);
    RenameEntries();
    tellPlayer(listEvent(mdb::ChangeKind::ItemChanged));
}

void CRecordPanel::editDiscExtra() {
    const std::string extra = discExtra_->text().toStdString();
    if (extra == disc_.extra) {
        return;
    }
    disc_.extra = extra;
    tellPlayer(listEvent(mdb::ChangeKind::ItemChanged));
}

// A track's new title goes into the disc (for its name and a submission).
void CRecordPanel::titleEdited(size_t row) {
    const app::RecordingEntry& entry = model_.entries()[row];
    if (entry.cdTrack && static_cast<size_t>(entry.trackIndex) < disc_.tracks.size()) {
        disc_.tracks[static_cast<size_t>(entry.trackIndex)].title = entry.title;
        RenameEntries();
    }
    tellPlayer(listEvent(mdb::ChangeKind::ItemChanged));
}

// The states and names of the tracks go into the local CD database, so
// that the disc shows them when it comes back. A title the panel made up
// is not stored: the disc would pass for one with titles and never be
// looked up.
void CRecordPanel::storeDiscEdits() {
    if (disc_.tracks.empty()) {
        return;
    }
    for (const app::RecordingEntry& entry : model_.entries()) {
        if (!entry.cdTrack) {
            continue;
        }
        cdinfo::CDiscTrack& track = disc_.tracks.at(static_cast<size_t>(entry.trackIndex));
        const bool unfinished = entry.status == app::RecordingEntry::kRecording ||
                                entry.status == app::RecordingEntry::kFailed;
        track.state = unfinished ? app::RecordingEntry::kAborted : entry.status;
        track.outputPath = entry.outputPath;
        if (entry.title != defaultTrackTitle(entry.trackNumber)) {
            track.title = entry.title;
        }
    }
    lookup_.cdda().WriteLocalDB(disc_);
}

}  // namespace ui::record
