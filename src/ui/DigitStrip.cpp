#include "ui/DigitStrip.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "ui/SkinImage.h"

namespace ui {

int drawStripCell(QPainter& painter, const SkinImage& strip, int cells, int cell, QPoint at) {
    const int width = strip.Size().width() / cells;
    strip.DrawPart(painter, QRect(at, QSize(width, strip.Size().height())),
                   QPoint(cell * width, 0));
    return at.x() + width;
}

int DrawDigits(QPainter& painter, int x, int y, int value, int count, const SkinImage& strip,
               bool suppressLeadingZeros) {
    std::vector<int> cells(static_cast<std::size_t>(std::max(count, 0)), kBlankCell);
    int rest = value;
    for (auto cell = cells.rbegin(); value >= 0 && cell != cells.rend(); ++cell) {
        *cell = rest % 10;
        rest /= 10;
    }
    bool leading = suppressLeadingZeros && value >= 0;
    for (int& cell : cells) {
        leading = leading && cell == 0;
        cell = leading ? kBlankCell : cell;
        x = drawStripCell(painter, strip, kStripCells, cell, QPoint(x, y));
    }
    return x;
}

int trackCounterValue(int currentIndex) {
    return currentIndex < 0 ? -1 : std::min(currentIndex + 1, 999);
}

}  // namespace ui
