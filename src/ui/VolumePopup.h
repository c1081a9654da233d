#pragma once

#include <QSlider>
#include <QWidget>
#include <functional>

namespace ui {

// The small volume window the volume bar opens: a slider over the player's
// volume range in its steps, closing when the user clicks elsewhere.
class VolumePopup : public QWidget {
  public:
    VolumePopup(QWidget* parent, int volume, std::function<void(int)> setVolume);

    QSlider& slider() { return slider_; }

  private:
    QSlider slider_;
};

}  // namespace ui
