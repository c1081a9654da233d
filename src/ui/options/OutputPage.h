#pragma once

#include <array>

#include "ui/options/OptionPage.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace ui::options {

// "保存": the output folder, its subfolder rule and the four parts of a
// file name.
class OutputPage : public OptionPage {
  public:
    OutputPage(const OptionRecord& record, QWidget* parent);

    void store(OptionRecord& record) const override;
    std::string refusal() const override;

    QLineEdit* folder() const { return folder_; }
    QComboBox* namingList(int part) const { return naming_[static_cast<size_t>(part)]; }

  private:
    QWidget* subfolderBox(int32_t dirNameType);
    QWidget* namingBox(const std::array<int32_t, 4>& parts);
    void browse();
    std::array<int32_t, 4> namingParts() const;

    QLineEdit* folder_;
    QButtonGroup* subfolder_ = nullptr;
    std::array<QComboBox*, 4> naming_{};
};

}  // namespace ui::options
