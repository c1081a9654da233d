#include "ui/options/PlaybackPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <cmath>

#include "app/ReplayGainLevel.h"
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
    layout->addWidget(replayGainBox(record));
    layout->addStretch();
}

// The pre-amp in dB with one decimal, over the setting's tenths; it has
// nothing to add to while the level is off. Values off the range show the
// defaults.
QWidget* PlaybackPage::replayGainBox(const OptionRecord& record) {
    auto* box = new QGroupBox(qt(texts::kReplayGain), this);
    replayGain_ = new QComboBox(box);
    for (std::string_view text : texts::kReplayGainModes) {
        replayGain_->addItem(qt(text));
    }
    const auto mode = static_cast<int>(app::replayGainModeOf(record.replayGain));
    replayGain_->setCurrentIndex(mode);
    preamp_ = new QDoubleSpinBox(box);
    preamp_->setDecimals(1);
    preamp_->setSingleStep(0.5);
    preamp_->setRange(app::kMinPreampTenths / 10.0, app::kMaxPreampTenths / 10.0);
    preamp_->setSuffix(qt(texts::kDecibelSuffix));
    preamp_->setValue(app::replayGainPreampOf(record.replayGainPreamp) / 10.0);
    const auto applies = [](int entry) {
        return entry != static_cast<int>(app::ReplayGainMode::Off);
    };
    preamp_->setEnabled(applies(mode));
    connect(replayGain_, &QComboBox::currentIndexChanged, preamp_,
            [this, applies](int entry) { preamp_->setEnabled(applies(entry)); });
    auto* form = new QFormLayout(box);
    form->addRow(replayGain_);
    form->addRow(qt(texts::kPreamp), preamp_);
    return box;
}

void PlaybackPage::store(OptionRecord& record) const {
    record.insertBlank = insertBlank_->isChecked();
    record.blankTime = blankTimeOf(length_->currentIndex());
    record.replayGain = replayGain_->currentIndex();
    record.replayGainPreamp = static_cast<int32_t>(std::lround(preamp_->value() * 10.0));
}

}  // namespace ui::options
