#pragma once

#include <QWidget>

#include "ui/library/PanelPieces.h"

namespace ui::library {

class PanelSkin;

// One piece of the panel's skin repeated across the widget: the bar
// behind the panel's buttons, or a caption exactly its size.
class SkinnedTile : public QWidget {
  public:
    SkinnedTile(PanelSkin& skin, PanelPiece piece, QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PanelSkin& skin_;
    PanelPiece piece_;
};

}  // namespace ui::library
