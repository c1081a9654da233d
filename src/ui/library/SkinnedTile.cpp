#include "ui/library/SkinnedTile.h"

#include <QPainter>

#include "ui/library/PanelSkin.h"

namespace ui::library {

namespace {
constexpr QSize kBarSize(8, 24);  // without a skin
}

SkinnedTile::SkinnedTile(PanelSkin& skin, PanelPiece piece, QWidget* parent)
    : QWidget(parent), skin_(skin), piece_(piece) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize SkinnedTile::sizeHint() const {
    const QSize cell = skin_.cellSize(piece_);
    return cell.isEmpty() ? kBarSize : cell;
}

void SkinnedTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QSize cell = skin_.cellSize(piece_);
    if (cell.height() < height()) {
        painter.fillRect(rect(), palette().color(QPalette::Window));
    }
    const int step = cell.width();
    if (step <= 0) {
        return;
    }
    for (int x = 0; x < width(); x += step) {
        skin_.drawCell(painter, piece_, 'U', QPoint(x, 0));
    }
}

}  // namespace ui::library
