#include "ui/options/AssociationPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "ui/options/OptionTexts.h"
#include "ui/options/QtText.h"

namespace ui::options {
namespace {

constexpr int kColumns = 3;

// The type a box names: its text up to the accelerator, ".mp3(&3)".
size_t typeOf(std::string_view boxText) {
    const std::string_view extension = boxText.substr(0, boxText.find('('));
    for (size_t i = 0; i < app::kAssociatedTypes.size(); ++i) {
        if (app::kAssociatedTypes[i].extension == extension) {
            return i;
        }
    }
    return app::kAssociatedTypes.size();
}

}  // namespace

AssociationPage::AssociationPage(const OptionRecord& record, QWidget* parent) : OptionPage(parent) {
    auto* group = new QGroupBox(qt(texts::kAssociations), this);
    auto* grid = new QGridLayout(group);
    for (size_t i = 0; i < texts::kAssociationBoxes.size(); ++i) {
        const size_t type = typeOf(texts::kAssociationBoxes[i]);
        auto* box = new QCheckBox(qt(texts::kAssociationBoxes[i]), group);
        box->setChecked(record.associations.at(type));
        boxes_.at(type) = box;
        grid->addWidget(box, static_cast<int>(i) / kColumns, static_cast<int>(i) % kColumns);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
}

void AssociationPage::store(OptionRecord& record) const {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        record.associations[i] = boxes_[i]->isChecked();
    }
}

}  // namespace ui::options
