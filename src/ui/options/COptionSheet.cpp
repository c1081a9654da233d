#include "ui/options/COptionSheet.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AppTexts.h"
#include "ui/options/AssociationPage.h"
#include "ui/options/CddbPage.h"
#include "ui/options/DrivePage.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/OutputPage.h"
#include "ui/options/PlaybackPage.h"
#include "ui/options/QtText.h"
#include "ui/options/RecordingPage.h"

namespace ui::options {
namespace {

std::vector<std::string> drivesOf(const cdinfo::CCdda::ConfigSource& config) {
    std::vector<std::string> drives;
    cdinfo::CCdda(config).GetDriveList(drives);
    return drives;
}

}  // namespace

COptionSheet::COptionSheet(OptionSources& sources, int page, int& lastPage, QWidget* parent)
    : QDialog(parent),
      sources_(sources),
      lastPage_(lastPage),
      loaded_(OptionRecord::load(sources.settings, sources.associations)),
      tabs_(new QTabWidget(this)) {
    setWindowTitle(qt(texts::kTitle));
    addPages();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    tabs_->setCurrentIndex(page);
    current_ = tabs_->currentIndex();
    shown_[static_cast<size_t>(current_)] = true;
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { pageChanged(index); });
}

COptionSheet::~COptionSheet() = default;

void COptionSheet::addPages() {
    const auto warnOver = [this](const std::string& text) { warn(text); };
    pages_ = {new RecordingPage(loaded_, recordingWriters(sources_.engine), tabs_),
              new OutputPage(loaded_, tabs_),
              new DrivePage(loaded_, drivesOf(sources_.cdConfig), tabs_),
              new CddbPage(loaded_, sources_.cdConfig, warnOver, tabs_),
              new AssociationPage(loaded_, tabs_),
              new PlaybackPage(loaded_, tabs_)};
    for (size_t i = 0; i < pages_.size(); ++i) {
        tabs_->addTab(pages_[i], qt(texts::kPageTitles[i]));
    }
}

// A page that may not be left stays, with its reason.
void COptionSheet::pageChanged(int page) {
    if (const std::string refused = pages_[static_cast<size_t>(current_)]->refusal();
        !refused.empty()) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(current_);
        warn(refused);
        return;
    }
    current_ = page;
    shown_[static_cast<size_t>(page)] = true;
}

void COptionSheet::done(int result) {
    if (result == QDialog::Accepted && !commit()) {
        return;
    }
    lastPage_ = tabs_->currentIndex();
    QDialog::done(result);
}

bool COptionSheet::commit() {
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (const std::string refused = shown_[i] ? pages_[i]->refusal() : std::string();
            !refused.empty()) {
            const QSignalBlocker quiet(tabs_);
            tabs_->setCurrentIndex(current_ = static_cast<int>(i));
            warn(refused);
            return false;
        }
    }
    if (shown_[kRecording]) {
        if (const std::string refused = recordingPage()->commit(); !refused.empty()) {
            tabs_->setCurrentIndex(kRecording);
            warn(refused);
            return false;
        }
    }
    OptionRecord record = loaded_;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (shown_[i]) {
            pages_[i]->store(record);
        }
    }
    if (!record.save(sources_.settings, sources_.associations, loaded_)) {
        warn(std::string(texts::kAssociationsFailed));
    }
    if (sources_.handOver.currentFormat) {
        sources_.handOver.currentFormat(recordingPage()->chosenSettings());
    }
    if (record.driveChanged && sources_.handOver.discChanged) {
        sources_.handOver.discChanged();
    }
    return true;
}

void COptionSheet::warn(const std::string& text) {
    if (sources_.warn) {
        sources_.warn(this, text);
    } else {
        QMessageBox::warning(this, qt(app::texts::kAppTitle), qt(text));
    }
}

RecordingPage* COptionSheet::recordingPage() const {
    return static_cast<RecordingPage*>(pages_[kRecording]);
}
OutputPage* COptionSheet::outputPage() const {
    return static_cast<OutputPage*>(pages_[kOutput]);
}
DrivePage* COptionSheet::drivePage() const {
    return static_cast<DrivePage*>(pages_[kDrive]);
}
CddbPage* COptionSheet::cddbPage() const {
    return static_cast<CddbPage*>(pages_[kCddb]);
}
AssociationPage* COptionSheet::associationPage() const {
    return static_cast<AssociationPage*>(pages_[kAssociations]);
}
PlaybackPage* COptionSheet::playbackPage() const {
    return static_cast<PlaybackPage*>(pages_[kPlayback]);
}

}  // namespace ui::options
