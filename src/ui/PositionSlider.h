#pragma once

#include <QRect>

class QPainter;

namespace ui {

class SkinImage;

// The position slider: a position in thousandths (0-1000) over the track
// rectangle of "PlayPosWnd", drawn with the skin's "playpos" thumb.
class PositionSlider {
  public:
    static constexpr int kRange = 1000;

    void setTrack(const QRect& track, QSize thumb);
    const QRect& track() const { return track_; }
    int position() const { return position_; }
    void setPosition(int thousandths);

    QRect thumbRect() const;
    // The position that puts the thumb's centre under `x`.
    int positionAt(int x) const;
    // The thumb only: the caller repaints the track's background.
    void draw(QPainter& painter, const SkinImage& thumb) const;

  private:
    QRect track_;
    QSize thumb_;
    int position_ = 0;
};

}  // namespace ui
