#include "ui/VolumePopup.h"

#include <QHBoxLayout>

#include "app/CPlayController.h"

namespace ui {

VolumePopup::VolumePopup(QWidget* parent, int volume, std::function<void(int)> setVolume)
    : QWidget(parent, Qt::Popup), slider_(Qt::Vertical) {
    setAttribute(Qt::WA_DeleteOnClose);
    slider_.setRange(0, app::CPlayController::kMaxVolume);
    slider_.setSingleStep(app::CPlayController::kVolumeStep);
    slider_.setPageStep(app::CPlayController::kVolumeStep * 2);
    slider_.setValue(volume);
    connect(&slider_, &QSlider::valueChanged, this, std::move(setVolume));
    auto* layout = new QHBoxLayout(this);  // owned by the popup
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(&slider_);
}

}  // namespace ui
