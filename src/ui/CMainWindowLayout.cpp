// The player window's layouts (normal, wide with the tray open, mini) and
// its place on the screens.
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "app/PlayerSettings.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "ui/CMainWindow.h"
#include "ui/ScreenPlacement.h"

namespace ui {

namespace {

constexpr int kSnapPixels = 12;
constexpr int32_t kShowNormal = 1;

// Native Wayland gives windows no say over their position.
bool placesItself() {
    return !QGuiApplication::platformName().startsWith("wayland");
}

QList<QRect> workAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.push_back(screen->availableGeometry());
    }
    return areas;
}

// "WindowState" as stored; anything else is the normal layout.
SkinLayout storedLayout(int32_t value) {
    switch (value) {
        case 1:
            return SkinLayout::Wide;
        case 2:
            return SkinLayout::Mini;
        default:
            return SkinLayout::Normal;
    }
}

}  // namespace

void CMainWindow::loadLayoutSetting() {
    layout_ = storedLayout(settings_.read(app::settings::kWindowState));
    wideTray_ = layout_ == SkinLayout::Wide;
    skin_.LoadPlayerSkin(skinFolder_, layout_);
}

// The closed tray's controls lie outside the normal shape, and the open
// tray brings its own volume buttons.
bool CMainWindow::hittable(int control) const {
    switch (layout_) {
        case SkinLayout::Normal:
            return control < kVolumeUpW || control > kHelp;
        case SkinLayout::Wide:
            return control != kVolumeUp && control != kVolumeDn;
        case SkinLayout::Mini:
            return true;
    }
    return true;
}

// The first control in table order; the counter mode and the marks (19-21)
// lie inside the display area (22), so they come first.
int CMainWindow::controlAt(QPoint point) const {
    for (int control = 0; control < kPlayerControlCount; ++control) {
        if (hittable(control) && skin_.controlRect(control).contains(point)) {
            return control;
        }
    }
    return -1;
}

void CMainWindow::setLayout(SkinLayout layout) {
    const bool reload = (layout == SkinLayout::Mini) != skin_.isMini();
    layout_ = layout;
    if (layout != SkinLayout::Mini) {
        wideTray_ = layout == SkinLayout::Wide;
    }
    if (reload) {
        skin_.LoadPlayerSkin(skinFolder_, layout_);
    }
    settings_.write(app::settings::kWindowState, static_cast<int32_t>(layout_));
    applyLayout();
}

// Leaving mini opens the tray again when it was open before.
void CMainWindow::toggleMini() {
    if (layout_ == SkinLayout::Mini) {
        setLayout(wideTray_ ? SkinLayout::Wide : SkinLayout::Normal);
    } else {
        setLayout(SkinLayout::Mini);
    }
}

// The window takes the size and the shape of the layout's images. The
// mask shapes the window under X11; native Wayland shows the translucent
// background around the clipped painting instead.
void CMainWindow::applyLayout() {
    hover_ = -1;
    pressed_ = -1;
    sliding_ = false;
    dragFrom_.reset();
    setFixedSize(skin_.layoutSize(layout_));
    setMask(skin_.windowRegion(layout_));
    followPosition();
    update();
}

void CMainWindow::chooseSkin(std::string_view name) {
    const std::string said = selectSkin_(name);
    if (!said.empty()) {
        ShowMessage(0, said);
        return;
    }
    skinFolder_ = skinFolder_.parent_path().parent_path() / std::string(name) / "";
    skin_.LoadPlayerSkin(skinFolder_, layout_);
    applyLayout();
    if (skinChanged_) {
        skinChanged_(skinFolder_);
    }
}

// The stored position, pulled onto the screens as they are now; the size
// stays the skin's.
void CMainWindow::restorePlacement() {
    const auto placement = app::WindowPlacement::parse(settings_.read(app::settings::kPosition));
    const QList<QRect> areas = workAreas();
    if (!placement || areas.isEmpty() || !placesItself()) {
        return;
    }
    const QRect saved(QPoint(placement->left, placement->top), size());
    move(PullInside(saved, AreaFor(saved, areas)).topLeft());
}

void CMainWindow::savePlacement() {
    app::WindowPlacement placement;
    placement.showCommand = kShowNormal;
    const QRect at = geometry();
    placement.left = at.left();
    placement.top = at.top();
    placement.right = at.left() + at.width();
    placement.bottom = at.top() + at.height();
    settings_.write(app::settings::kPosition, placement.format());
}

// Dragged by its body, the window follows the mouse and its edges near a
// screen's edges stick to them. Native Wayland moves windows only itself:
// there the compositor takes over the drag, and false says so.
bool CMainWindow::dragTo(QPoint topLeft) {
    if (!placesItself()) {
        return !(windowHandle() && windowHandle()->startSystemMove());
    }
    const QList<QRect> areas = workAreas();
    const QRect target(topLeft, size());
    move(areas.isEmpty() ? topLeft : SnapToEdges(target, AreaFor(target, areas), kSnapPixels));
    return true;
}

}  // namespace ui
