#pragma once

#include <QAbstractButton>

#include "ui/library/PanelPieces.h"

namespace ui::library {

class PanelSkin;

// A button of the list/edit panel drawn from one piece of the panel's
// skin: its up, pressed, pointer-over and (checkable tabs) selected cells.
// The text names it for accessibility and is drawn only when the skin has
// no such piece.
class SkinnedButton : public QAbstractButton {
  public:
    SkinnedButton(PanelSkin& skin, PanelPiece piece, const QString& text, const QString& tip,
                  QWidget* parent = nullptr);

    // The cell shown now: 'O' checked, 'D' pressed, 'F' under the pointer
    // or holding the keyboard focus, else 'U'.
    char state() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    PanelSkin& skin_;
    PanelPiece piece_;
    bool pointerOver_ = false;
};

}  // namespace ui::library
