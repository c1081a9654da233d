#pragma once

#include <array>

#include "app/MimeAssociations.h"
#include "ui/options/OptionPage.h"

class QCheckBox;

namespace ui::options {

// "関連付け": whether the program opens each of its file types by default.
class AssociationPage : public OptionPage {
  public:
    AssociationPage(const OptionRecord& record, QWidget* parent);

    void store(OptionRecord& record) const override;
    // The box of a type of app::kAssociatedTypes.
    QCheckBox* box(size_t type) const { return boxes_[type]; }

  private:
    std::array<QCheckBox*, app::kAssociatedTypes.size()> boxes_{};
};

}  // namespace ui::options
