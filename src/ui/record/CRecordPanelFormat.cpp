// The recording panel's format command: an entry of the list gets its own
// recording format.
#include <QTableView>

#include "app/Engine.h"
#include "app/EntryFormat.h"
#include "app/PlayerSettings.h"
#include "app/RecordingSizes.h"
#include "app/Settings.h"
#include "stream/ErrorText.h"
#include "ui/record/CRecordPanel.h"

namespace ui::record {
namespace {

// A chain built to look at a source writes nothing under this name.
constexpr const char* kLookOnlyOutput = "temp";

}  // namespace

void CRecordPanel::chooseEntryFormat() {
    const QModelIndex current = table_->currentIndex();
    if (IsRecording() || !current.isValid()) {
        return;
    }
    const auto row = static_cast<size_t>(current.row());
    const app::RecordingEntry& entry = model_.entries()[row];
    const NxRef<CNxSSWriterSettings> start =
        entry.format
            ? entry.format
            : app::savedWriterSettings(engine_, settings_.read(app::settings::kCurrentWriter));
    if (const NxRef<CNxSSWriterSettings> chosen = dialogs_->chooseFormat(start)) {
        giveFormat(row, chosen);
    }
}

// The writer is asked whether it takes the format for the entry's source:
// a file as it is, a CD track as CD audio. A recorded entry keeps its
// status and file; the format is for the next time it is recorded.
void CRecordPanel::giveFormat(size_t row, const NxRef<CNxSSWriterSettings>& format) {
    app::RecordingEntry& entry = model_.entries()[row];
    auto chain = engine_.makeManager();
    const std::string source = entry.cdTrack ? std::string() : entry.sourcePath;
    if (const uint32_t rc = chain->CreateChain(source, kLookOnlyOutput, format->GetSinkKind())) {
        dialogs_->tell(source.empty() ? GetErrorText(rc) : source + "\r\n" + GetErrorText(rc));
        return;
    }
    const bool refused = app::offerSettings(*chain, format) != 0;
    entry.format = format;
    if (refused) {
        entry.status = app::RecordingEntry::kSettingError;
        entry.selection = app::RecordingEntry::kNotSelected;
    } else if (entry.status == app::RecordingEntry::kSettingError) {
        entry.status = app::RecordingEntry::kNone;
        entry.selection = app::RecordingEntry::kSelected;
    }
    if (entry.status != app::RecordingEntry::kRecorded) {
        entry.outputPath = outputPathOf(entry, format->GetExtension());
        entry.size =
            refused ? 0 : app::estimatedRecordingSize(format->GetBitrate(), entry.lengthSeconds);
    }
    model_.showRow(row);
    refreshInfo();
}

}  // namespace ui::record
