#include "ui/PanelPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/WindowPlacement.h"
#include "ui/ScreenPlacement.h"

namespace ui {

void ShowPanelAt(QWidget& panel, const std::string& stored, const QRect& fallback) {
    QRect frame = fallback;
    const auto placement = app::WindowPlacement::parse(stored);
    if (placement && placement->right > placement->left && placement->bottom > placement->top) {
        frame = QRect(QPoint(placement->left, placement->top),
                      QPoint(placement->right - 1, placement->bottom - 1));
    }
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    if (!areas.isEmpty()) {
        frame = PullInside(frame, AreaFor(frame, areas));
    }
    panel.setGeometry(frame);
    panel.show();
    if (panel.isMinimized()) {
        panel.showNormal();
    }
}

}  // namespace ui
