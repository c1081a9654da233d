#include "ui/options/RecordingPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QStackedWidget>

#include "app/WriterPage.h"
#include "mp3/writer/CNxSSMp3OptionPage.h"
#include "stream/ErrorText.h"
#include "ui/options/FormatChoiceWidget.h"
#include "ui/options/Mp3PageWidget.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {
namespace {

// The writer's own page as widgets over its model.
QWidget* pageWidget(CNxSSOptionPage* page, QWidget* parent) {
    if (auto* mp3 = dynamic_cast<CNxSSMp3OptionPage*>(page)) {
        return new Mp3PageWidget(*mp3, parent);
    }
    if (CNxSSFormatChoice* choice = page ? app::formatChoiceOf(*page) : nullptr) {
        return new FormatChoiceWidget(*choice, parent);
    }
    return new QLabel(qt(texts::kNoSettings), parent);
}

}  // namespace

RecordingPage::RecordingPage(const OptionRecord& record, std::vector<RecordingWriter> writers,
                             QWidget* parent)
    : OptionPage(parent),
      writers_(std::move(writers)),
      shown_(writers_.size(), false),
      list_(new QComboBox(this)),
      pages_(new QStackedWidget(this)) {
    for (const RecordingWriter& writer : writers_) {
        list_->addItem(QString::fromStdString(writer.name));
        pages_->addWidget(new QWidget(pages_));
    }
    auto* layout = new QFormLayout(this);
    layout->addRow(qt(texts::kFileType), list_);
    layout->addRow(pages_);
    connect(list_, &QComboBox::currentIndexChanged, this, [this](int entry) { showWriter(entry); });
    list_->setCurrentIndex(writerEntryOf(writers_, record.currentWriter));
    showWriter(list_->currentIndex());
}

// Each writer's page is made when it is first shown.
void RecordingPage::showWriter(int entry) {
    if (entry < 0) {
        return;
    }
    const auto at = static_cast<size_t>(entry);
    if (!shown_[at]) {
        QWidget* placeholder = pages_->widget(entry);
        pages_->insertWidget(entry, pageWidget(writers_[at].page.get(), pages_));
        pages_->removeWidget(placeholder);
        placeholder->deleteLater();
        shown_[at] = true;
    }
    pages_->setCurrentIndex(entry);
}

void RecordingPage::store(OptionRecord& record) const {
    if (const int entry = list_->currentIndex(); entry >= 0) {
        record.currentWriter = writers_[static_cast<size_t>(entry)].sinkKind;
    }
}

std::string RecordingPage::commit() {
    if (std::string refused = apply(); !refused.empty()) {
        return refused;
    }
    for (const RecordingWriter& writer : writers_) {
        if (writer.page) {
            writer.page->Settings().Save();
        }
    }
    return {};
}

std::string RecordingPage::apply() {
    for (size_t i = 0; i < writers_.size(); ++i) {
        CNxSSOptionPage* page = writers_[i].page.get();
        CNxSSFormatChoice* choice = page ? app::formatChoiceOf(*page) : nullptr;
        if (!shown_[i] || !choice) {
            continue;
        }
        if (const uint32_t code = choice->Apply()) {
            list_->setCurrentIndex(static_cast<int>(i));
            const std::string reason = choice->ErrorText();
            return reason.empty() ? GetErrorText(code) : reason;
        }
    }
    return {};
}

NxRef<CNxSSWriterSettings> RecordingPage::chosenSettings() const {
    const int entry = list_->currentIndex();
    if (entry < 0 || !writers_[static_cast<size_t>(entry)].page) {
        return {};
    }
    return writers_[static_cast<size_t>(entry)].page->Settings().Clone();
}

}  // namespace ui::options
