#include "ui/equalizer/EqualizerAttach.h"

#include <cstdlib>

namespace ui {

EqualizerAttach attachFromSetting(int value) {
    switch (value) {
        case 0:
            return EqualizerAttach::Free;
        case 1:
            return EqualizerAttach::Above;
        default:
            return EqualizerAttach::Below;
    }
}

std::optional<QPoint> attachedPosition(EqualizerAttach mode, const QRect& main, QSize size) {
    switch (mode) {
        case EqualizerAttach::Above:
            return QPoint(main.left(), main.top() - size.height());
        case EqualizerAttach::Below:
            return QPoint(main.left(), main.top() + main.height());
        case EqualizerAttach::Free:
            break;
    }
    return std::nullopt;
}

EqualizerAttach attachForDrop(const QRect& window, const QRect& main, int distance) {
    const bool across =
        window.left() < main.left() + main.width() && main.left() < window.left() + window.width();
    if (!across) {
        return EqualizerAttach::Free;
    }
    if (std::abs(window.top() - (main.top() + main.height())) <= distance) {
        return EqualizerAttach::Below;
    }
    if (std::abs(window.top() + window.height() - main.top()) <= distance) {
        return EqualizerAttach::Above;
    }
    return EqualizerAttach::Free;
}

}  // namespace ui
