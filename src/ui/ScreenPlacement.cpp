#include "ui/ScreenPlacement.h"

#include <cstdlib>
#include <limits>

namespace ui {

QRect PullInside(QRect window, const QRect& area) {
    if (window.right() > area.right()) {
        window.moveRight(area.right());
    }
    if (window.bottom() > area.bottom()) {
        window.moveBottom(area.bottom());
    }
    if (window.left() < area.left()) {
        window.moveLeft(area.left());
    }
    if (window.top() < area.top()) {
        window.moveTop(area.top());
    }
    return window;
}

namespace {

long long overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

long long distanceSquared(const QPoint& point, const QRect& area) {
    const long long dx = point.x() < area.left()    ? area.left() - point.x()
                         : point.x() > area.right() ? point.x() - area.right()
                                                    : 0;
    const long long dy = point.y() < area.top()      ? area.top() - point.y()
                         : point.y() > area.bottom() ? point.y() - area.bottom()
                                                     : 0;
    return dx * dx + dy * dy;
}

// The shift that brings the nearer of two edges onto its target, when
// that one is within `distance`.
int snapShift(int low, int lowTarget, int high, int highTarget, int distance) {
    const int lowGap = lowTarget - low;
    const int highGap = highTarget - high;
    const int shift = std::abs(lowGap) <= std::abs(highGap) ? lowGap : highGap;
    return std::abs(shift) <= distance ? shift : 0;
}

}  // namespace

QRect AreaFor(const QRect& window, const QList<QRect>& areas) {
    const QRect* best = &areas.front();
    long long bestOverlap = 0;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const QRect& area : areas) {
        const long long shared = overlap(window, area);
        const long long distance = distanceSquared(window.center(), area);
        if (shared > bestOverlap || (bestOverlap == 0 && shared == 0 && distance < bestDistance)) {
            best = &area;
            bestOverlap = shared;
            bestDistance = distance;
        }
    }
    return *best;
}

QPoint SnapToEdges(const QRect& window, const QRect& area, int distance) {
    return window.topLeft() +
           QPoint(snapShift(window.left(), area.left(), window.right(), area.right(), distance),
                  snapShift(window.top(), area.top(), window.bottom(), area.bottom(), distance));
}

}  // namespace ui
