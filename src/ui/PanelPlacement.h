#pragma once

#include <QRect>
#include <string>

class QWidget;

namespace ui {

// Shows a panel window where it was left (`stored`, a window placement
// setting) or else at `fallback`, pulled onto the screens as they are now.
void ShowPanelAt(QWidget& panel, const std::string& stored, const QRect& fallback);

}  // namespace ui
