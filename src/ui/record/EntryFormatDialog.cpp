#include "ui/record/EntryFormatDialog.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/AppTexts.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"
#include "ui/options/RecordingPage.h"
#include "ui/options/RecordingWriters.h"

namespace ui::record {
namespace {

// The writers, the one of `start`'s kind holding a copy of it.
std::vector<options::RecordingWriter> writersFrom(const app::Engine& engine,
                                                  const NxRef<CNxSSWriterSettings>& start) {
    std::vector<options::RecordingWriter> writers = options::recordingWriters(engine);
    for (options::RecordingWriter& writer : writers) {
        if (start && writer.page && writer.sinkKind == start->GetSinkKind()) {
            writer.page->SetSettings(start->Clone());
        }
    }
    return writers;
}

options::OptionRecord startRecord(const NxRef<CNxSSWriterSettings>& start) {
    options::OptionRecord record;
    if (start) {
        record.currentWriter = start->GetSinkKind();
    }
    return record;
}

}  // namespace

EntryFormatDialog::EntryFormatDialog(const app::Engine& engine,
                                     const NxRef<CNxSSWriterSettings>& start, QWidget* parent)
    : QDialog(parent),
      page_(new options::RecordingPage(startRecord(start), writersFrom(engine, start), this)) {
    setWindowTitle(options::qt(options::texts::kPageTitles[0]));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page_);
    layout->addWidget(buttons);
}

// A format the writer refuses keeps the sheet open with its reason.
void EntryFormatDialog::accept() {
    if (const std::string refused = page_->apply(); !refused.empty()) {
        QMessageBox::warning(this, options::qt(app::texts::kAppTitle), options::qt(refused));
        return;
    }
    chosen_ = page_->chosenSettings();
    QDialog::accept();
}

}  // namespace ui::record
