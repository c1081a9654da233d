#include "ui/options/DrivePage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {
namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

int driveEntryOf(const std::vector<std::string>& drives, const std::string& cdDrive) {
    if (cdDrive.empty()) {
        return 0;
    }
    for (size_t i = 0; i < drives.size(); ++i) {
        if (!drives[i].empty() && upper(drives[i][0]) == upper(cdDrive[0])) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

DrivePage::DrivePage(const OptionRecord& record, const std::vector<std::string>& drives,
                     QWidget* parent)
    : OptionPage(parent),
      list_(new QComboBox(this)),
      cdrCommand_(new QLineEdit(QString::fromStdString(record.cdrCommand), this)),
      initial_(driveEntryOf(drives, record.cdDrive)) {
    list_->addItem(qt(texts::kAutomatic));
    for (const std::string& drive : drives) {
        list_->addItem(QString::fromStdString(drive));
    }
    list_->setCurrentIndex(initial_);
    auto* layout = new QFormLayout(this);
    layout->addRow(qt(texts::kDrive), list_);
    cdrCommand_->setToolTip(qt(texts::kCdrCommandTip));
    layout->addRow(qt(texts::kCdrCommand), cdrCommand_);
}

// The automatic choice is stored as no drive, which the CD layer takes as
// the first one.
void DrivePage::store(OptionRecord& record) const {
    record.cdrCommand = cdrCommand_->text().trimmed().toStdString();
    const int entry = list_->currentIndex();
    if (entry == initial_) {
        return;
    }
    record.cdDrive = entry <= 0 ? std::string() : list_->itemText(entry).toStdString();
    record.driveChanged = true;
}

}  // namespace ui::options
