#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "ui/CDesktopView.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"

namespace ui {

// What the desktop program gives its player core: the view as view and
// playback, Qt's timers, the pool, and tag access over the engine's
// readers (one for the library, a fresh one for each reading thread).
app::CPlayerApp::Services desktopServices(
    CDesktopView& view, QtTimerService& timers, PoolWork& work, const app::Engine& engine,
    std::function<bool(const std::vector<std::string>& files)> claimInstance,
    std::function<void()> endProgram);

}  // namespace ui
