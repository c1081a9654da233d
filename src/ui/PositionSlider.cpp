#include "ui/PositionSlider.h"

#include <QPainter>
#include <algorithm>

#include "ui/SkinImage.h"

namespace ui {

void PositionSlider::setTrack(const QRect& track, QSize thumb) {
    track_ = track;
    thumb_ = thumb;
}

void PositionSlider::setPosition(int thousandths) {
    position_ = std::clamp(thousandths, 0, kRange);
}

QRect PositionSlider::thumbRect() const {
    const int travel = std::max(track_.width() - thumb_.width(), 0);
    const int left = track_.left() + position_ * travel / kRange;
    return {QPoint(left, track_.top()), thumb_};
}

int PositionSlider::positionAt(int x) const {
    const int travel = track_.width() - thumb_.width();
    if (travel <= 0) {
        return 0;
    }
    const long long offset = x - track_.left() - thumb_.width() / 2;
    return static_cast<int>(std::clamp(offset * kRange / travel, 0LL, 1000LL));
}

void PositionSlider::draw(QPainter& painter, const SkinImage& thumb) const {
    const QRect at = thumbRect();
    thumb.DrawTransparent(painter, QRect(QPoint(0, 0), thumb.Size()), at.topLeft());
}

}  // namespace ui
