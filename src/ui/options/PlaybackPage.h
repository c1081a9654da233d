#pragma once

#include "ui/options/OptionPage.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

namespace ui::options {

// "再生": the silent gap between tracks and its length, and the level
// ReplayGain evens out with its pre-amp.
class PlaybackPage : public OptionPage {
  public:
    PlaybackPage(const OptionRecord& record, QWidget* parent);

    void store(OptionRecord& record) const override;
    QCheckBox* insertBlank() const { return insertBlank_; }
    QComboBox* length() const { return length_; }
    QComboBox* replayGain() const { return replayGain_; }
    QDoubleSpinBox* preamp() const { return preamp_; }

  private:
    QWidget* replayGainBox(const OptionRecord& record);

    QCheckBox* insertBlank_;
    QComboBox* length_;
    QComboBox* replayGain_ = nullptr;
    QDoubleSpinBox* preamp_ = nullptr;
};

}  // namespace ui::options
