#include <gtest/gtest.h>

#include "ui/ScreenPlacement.h"

namespace ui {
namespace {

// Two screens side by side, the right one lower and with a panel on top.
const QRect kLeftScreen(0, 0, 1920, 1080);
const QRect kRightScreen(1920, 200, 1280, 960);

TEST(ScreenPlacementTest, WindowsLandOnTheScreenTheyBelongToAndStayReachable) {
    const QList<QRect> areas{kLeftScreen, kRightScreen};
    // Mostly on the right screen, hanging over its top edge.
    const QRect straddling(QPoint(2000, 150), QSize(360, 116));
    EXPECT_EQ(AreaFor(straddling, areas), kRightScreen);
    EXPECT_EQ(PullInside(straddling, AreaFor(straddling, areas)).topLeft(), QPoint(2000, 200));
    // On no screen at all: the nearest one, and moved back by the overshoot.
    const QRect lost(QPoint(5000, 3000), QSize(360, 116));
    EXPECT_EQ(AreaFor(lost, areas), kRightScreen);
    EXPECT_EQ(PullInside(lost, kRightScreen).bottomRight(), kRightScreen.bottomRight());
    // Larger than the area: the top-left corner with the controls wins.
    EXPECT_EQ(PullInside(QRect(-50, -50, 4000, 3000), kLeftScreen).topLeft(), QPoint(0, 0));
}

TEST(ScreenPlacementTest, DraggedEdgesStickToNearbyScreenEdges) {
    const QSize size(360, 116);
    EXPECT_EQ(SnapToEdges(QRect(QPoint(9, 500), size), kLeftScreen, 12), QPoint(0, 500));
    EXPECT_EQ(SnapToEdges(QRect(QPoint(13, 500), size), kLeftScreen, 12), QPoint(13, 500));
    // Right and bottom edges snap too: the right edge sits at 1919.
    EXPECT_EQ(SnapToEdges(QRect(QPoint(1555, 960), size), kLeftScreen, 12), QPoint(1560, 964));
}

}  // namespace
}  // namespace ui
