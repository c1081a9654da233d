#include "ui/DesktopServices.h"

#include <memory>
#include <utility>

#include "app/StreamTagAccess.h"

namespace ui {

app::CPlayerApp::Services desktopServices(
    CDesktopView& view, QtTimerService& timers, PoolWork& work, const app::Engine& engine,
    std::function<bool(const std::vector<std::string>& files)> claimInstance,
    std::function<void()> endProgram) {
    return {view,
            view,
            timers,
            work,
            std::make_shared<app::StreamTagAccess>(engine.catalog()),
            [&engine] { return std::make_shared<app::StreamTagAccess>(engine.catalog()); },
            std::move(claimInstance),
            std::move(endProgram)};
}

}  // namespace ui
