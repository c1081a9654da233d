#include "ui/library/SkinnedButton.h"

#include <QEnterEvent>
#include <QPainter>

#include "ui/library/PanelSkin.h"

namespace ui::library {

SkinnedButton::SkinnedButton(PanelSkin& skin, PanelPiece piece, const QString& text,
                             const QString& tip, QWidget* parent)
    : QAbstractButton(parent), skin_(skin), piece_(piece) {
    setText(text);
    setToolTip(tip);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

char SkinnedButton::state() const {
    if (isChecked()) {
        return 'O';
    }
    if (isDown()) {
        return 'D';
    }
    // The keyboard's place shows as the pointer's does.
    return pointerOver_ || hasFocus() ? 'F' : 'U';
}

void SkinnedButton::enterEvent(QEnterEvent* event) {
    pointerOver_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SkinnedButton::leaveEvent(QEvent* event) {
    pointerOver_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

QSize SkinnedButton::sizeHint() const {
    const QSize cell = skin_.cellSize(piece_);
    if (!cell.isEmpty()) {
        return cell;
    }
    return {fontMetrics().horizontalAdvance(text()) + 12, 24};
}

// Whole pixels at any integer scale, as the player window draws.
void SkinnedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!skin_.image(piece_).isNull()) {
        skin_.drawCell(painter, piece_, state(), QPoint(0, 0));
        return;
    }
    const char shown = state();
    const bool lit = shown == 'O' || shown == 'D';
    painter.fillRect(rect(), palette().color(lit ? QPalette::Highlight : QPalette::Button));
    painter.setPen(palette().color(lit ? QPalette::HighlightedText : QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace ui::library
