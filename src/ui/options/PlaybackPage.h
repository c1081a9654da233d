#pragma once

#include "ui/options/OptionPage.h"

class QCheckBox;
class QComboBox;

namespace ui::options {

// "再生": the silent gap between tracks and its length.
class PlaybackPage : public OptionPage {
  public:
    PlaybackPage(const OptionRecord& record, QWidget* parent);

    void store(OptionRecord& record) const override;
    QCheckBox* insertBlank() const { return insertBlank_; }
    QComboBox* length() const { return length_; }

  private:
    QCheckBox* insertBlank_;
    QComboBox* length_;
};

}  // namespace ui::options
