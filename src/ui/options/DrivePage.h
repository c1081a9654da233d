#pragma once

#include <string>
#include <vector>

#include "ui/options/OptionPage.h"

class QComboBox;
class QLineEdit;

namespace ui::options {

// "CDドライブ": automatic choice, then the drives ("D: /dev/sr0"); and the
// command of the CD writing program.
class DrivePage : public OptionPage {
  public:
    DrivePage(const OptionRecord& record, const std::vector<std::string>& drives, QWidget* parent);

    void store(OptionRecord& record) const override;
    QComboBox* list() const { return list_; }
    QLineEdit* cdrCommand() const { return cdrCommand_; }

  private:
    QComboBox* list_;
    QLineEdit* cdrCommand_;
    int initial_;
};

// The entry for a "CDDrive" value: the drive with its first letter (either
// case), else 0, the automatic choice.
int driveEntryOf(const std::vector<std::string>& drives, const std::string& cdDrive);

}  // namespace ui::options
