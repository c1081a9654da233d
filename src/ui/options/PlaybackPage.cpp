#include "ui/options/PlaybackPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QVBoxLayout>

#include "ui/options/OptionRules.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {

PlaybackPage::PlaybackPage(const OptionRecord& record, QWidget* parent)
    : OptionPage(parent),
      insertBlank_(new QCheckBox(qt(texts::kInsertBlank), this)),
      length_(new QComboBox(this)) {
    for (std::string_view text : texts::kBlankLengths) {
        length_->addItem(qt(text));
    }
    length_->setCurrentIndex(blankEntryOf(record.blankTime));
    insertBlank_->setChecked(record.insertBlank);
    length_->setEnabled(record.insertBlank);
    connect(insertBlank_, &QCheckBox::toggled, length_, &QComboBox::setEnabled);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(insertBlank_);
    layout->addWidget(length_);
    layout->addStretch();
}

void PlaybackPage::store(OptionRecord& record) const {
    record.insertBlank = insertBlank_->isChecked();
    record.blankTime = blankTimeOf(length_->currentIndex());
}

}  // namespace ui::options
