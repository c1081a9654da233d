#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace ui {

// How the equalizer window sits by the main window ("Equalizer_Attach"):
// free, docked above it, or docked below it (the default), left edges
// lined up; docked, it moves with the main window.
enum class EqualizerAttach : int { Free = 0, Above = 1, Below = 2 };

// A stored mode; anything unknown docks below.
EqualizerAttach attachFromSetting(int value);

// Where a docked window of `size` goes; nothing when free.
std::optional<QPoint> attachedPosition(EqualizerAttach mode, const QRect& main, QSize size);

// The mode a window dropped at `window` takes: docked when its top edge is
// within `distance` of the main window's bottom (or its bottom of the main
// window's top) and the two overlap across, else free.
EqualizerAttach attachForDrop(const QRect& window, const QRect& main, int distance);

}  // namespace ui
