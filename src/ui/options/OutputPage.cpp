#include "ui/options/OutputPage.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/options/OptionRules.h"
#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {

OutputPage::OutputPage(const OptionRecord& record, QWidget* parent)
    : OptionPage(parent), folder_(new QLineEdit(QString::fromStdString(record.musicPath), this)) {
    auto* browse = new QPushButton(qt(texts::kBrowse), this);
    connect(browse, &QPushButton::clicked, this, [this] { this->browse(); });
    auto* folderBox = new QGroupBox(qt(texts::kFolder), this);
    auto* folderRow = new QHBoxLayout(folderBox);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folderBox);
    layout->addWidget(subfolderBox(record.dirNameType));
    layout->addWidget(namingBox(record.fileNameTypes));
    layout->addStretch();
}

QWidget* OutputPage::subfolderBox(int32_t dirNameType) {
    auto* box = new QGroupBox(qt(texts::kSubfolder), this);
    auto* row = new QHBoxLayout(box);
    subfolder_ = new QButtonGroup(box);
    for (size_t i = 0; i < texts::kSubfolderChoices.size(); ++i) {
        auto* button = new QRadioButton(qt(texts::kSubfolderChoices[i]), box);
        button->setChecked(static_cast<int32_t>(i) == dirNameType);
        subfolder_->addButton(button, static_cast<int>(i));
        row->addWidget(button);
    }
    return box;
}

// The first part is always something; the others may be none.
QWidget* OutputPage::namingBox(const std::array<int32_t, 4>& parts) {
    auto* box = new QGroupBox(qt(texts::kNaming), this);
    auto* row = new QHBoxLayout(box);
    for (size_t i = 0; i < naming_.size(); ++i) {
        naming_[i] = new QComboBox(box);
        const size_t choices = i == 0 ? kNamingNone : kNamingNone + 1;
        for (size_t c = 0; c < choices; ++c) {
            naming_[i]->addItem(qt(texts::kNamingParts[c]));
        }
        const bool listed = parts[i] >= 0 && parts[i] < static_cast<int32_t>(choices);
        naming_[i]->setCurrentIndex(listed ? parts[i] : -1);
        row->addWidget(naming_[i]);
    }
    return box;
}

void OutputPage::browse() {
    const QString chosen =
        QFileDialog::getExistingDirectory(this, qt(texts::kBrowsePrompt), folder_->text());
    if (!chosen.isEmpty()) {
        folder_->setText(chosen);
    }
}

std::array<int32_t, 4> OutputPage::namingParts() const {
    std::array<int32_t, 4> parts{};
    for (size_t i = 0; i < naming_.size(); ++i) {
        parts[i] = naming_[i]->currentIndex();
    }
    return parts;
}

void OutputPage::store(OptionRecord& record) const {
    record.musicPath = folder_->text().toStdString();
    if (subfolder_->checkedId() >= 0) {
        record.dirNameType = subfolder_->checkedId();
    }
    const std::array<int32_t, 4> parts = namingParts();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i] >= 0) {
            record.fileNameTypes[i] = parts[i];
        }
    }
}

std::string OutputPage::refusal() const {
    if (folder_->text().trimmed().isEmpty()) {
        return std::string(texts::kNoFolder);
    }
    return namingAccepted(namingParts()) ? std::string() : std::string(texts::kNamingNeedsTitle);
}

}  // namespace ui::options
