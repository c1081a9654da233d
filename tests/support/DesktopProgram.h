#pragma once

// The desktop program as main() assembles it, for tests that run it in
// process: its data folder and the services the player core is given.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CPlayerApp.h"
#include "app/Engine.h"
#include "ui/CDesktopView.h"
#include "ui/DesktopServices.h"
#include "ui/PoolWork.h"
#include "ui/QtTimerService.h"

namespace testsupport {

// The default skin and the genre table of the build, as an installed
// program folder holds them.
inline void copyProgramData(const std::filesystem::path& program) {
    namespace fs = std::filesystem;
    fs::create_directories(program / "Skin");
    fs::copy(MELODUX_BUILD_DATA_DIR "/Skin/Navy", program / "Skin/Navy",
             fs::copy_options::recursive);
    fs::copy(MELODUX_BUILD_DATA_DIR "/genre.dat", program / "genre.dat");
}

// Every instance is the first; `quit` ends the program.
inline app::CPlayerApp::Services desktopServices(
    ui::CDesktopView& view, ui::QtTimerService& timers, ui::PoolWork& work,
    const app::Engine& engine, std::function<void()> quit = [] {}) {
    return ui::desktopServices(
        view, timers, work, engine, [](const std::vector<std::string>&) { return true; },
        std::move(quit));
}

}  // namespace testsupport
