#include "ui/options/Mp3PageWidget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "mp3/writer/CNxSSMp3OptionPage.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {

Mp3PageWidget::Mp3PageWidget(CNxSSMp3OptionPage& page, QWidget* parent)
    : QWidget(parent), page_(page), formats_(new QComboBox(this)), qualities_(new QComboBox(this)) {
    for (const std::string& text : page_.EntryTexts()) {
        formats_->addItem(QString::fromStdString(text));
    }
    formats_->setCurrentIndex(page_.Selection());
    for (const std::string& text : CNxSSMp3OptionPage::QualityTexts()) {
        qualities_->addItem(QString::fromStdString(text));
    }
    qualities_->setCurrentIndex(page_.QualitySelection());
    connect(formats_, &QComboBox::currentIndexChanged, this,
            [this](int entry) { page_.Select(entry); });
    connect(qualities_, &QComboBox::currentIndexChanged, this,
            [this](int entry) { page_.SelectQuality(entry); });
    auto* copyright = new QCheckBox(qt(texts::kCopyright), this);
    copyright->setChecked(page_.Copyright());
    connect(copyright, &QCheckBox::toggled, this, [this](bool on) { page_.SetCopyright(on); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeBox());
    layout->addWidget(speedBox());
    layout->addWidget(copyright);
    layout->addStretch();
    enableLists();
}

QWidget* Mp3PageWidget::modeBox() {
    auto* box = new QWidget(this);
    auto* cbr = new QRadioButton(qt(texts::kCbr), box);
    auto* vbr = new QRadioButton(qt(texts::kVbr), box);
    (page_.VbrMode() ? vbr : cbr)->setChecked(true);
    connect(vbr, &QRadioButton::toggled, this, [this](bool on) {
        page_.SetVbrMode(on);
        enableLists();
    });
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(cbr, 0, 0);
    grid->addWidget(formats_, 0, 1);
    grid->addWidget(vbr, 1, 0);
    grid->addWidget(qualities_, 1, 1);
    return box;
}

QWidget* Mp3PageWidget::speedBox() {
    auto* box = new QGroupBox(this);
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const auto names = CNxSSMp3OptionPage::SpeedTexts();
    for (int speed = 0; speed < CNxSSMp3OptionPage::kSpeeds; ++speed) {
        auto* button = new QRadioButton(QString::fromStdString(names[static_cast<size_t>(speed)]));
        button->setChecked(speed == page_.Speed());
        group->addButton(button, speed);
        row->addWidget(button);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int speed) { page_.SetSpeed(speed); });
    return box;
}

void Mp3PageWidget::enableLists() {
    formats_->setEnabled(page_.FormatListEnabled());
    qualities_->setEnabled(page_.QualityListEnabled());
}

}  // namespace ui::options
