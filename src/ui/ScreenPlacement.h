#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace ui {

// `window` moved so that it lies inside `area`: an edge beyond the right or
// bottom moves it back by the overshoot, then an edge before the left or
// top is set to that edge, so a window larger than the area keeps its
// top-left corner (and its controls) reachable.
QRect PullInside(QRect window, const QRect& area);

// The work area a window at `window` belongs to: the one it overlaps most,
// else the one nearest to its centre. `areas` must not be empty.
QRect AreaFor(const QRect& window, const QList<QRect>& areas);

// Where a window dragged to `window` settles: each edge within `distance`
// pixels of the same edge of `area` sticks to it.
QPoint SnapToEdges(const QRect& window, const QRect& area, int distance);

}  // namespace ui
