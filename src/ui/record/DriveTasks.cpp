#include "ui/record/DriveTasks.h"

#include <memory>

#include "cdinfo/CCdda.h"
#include "cdinfo/CddaConfig.h"
#include "platform/Registry.h"

namespace ui::record {
namespace {

// The settings are read on the UI thread: the registry belongs to it.
cdinfo::CddaConfig currentConfig() {
    return cdinfo::CddaConfig::fromSettings(platform::Registry::instance());
}

}  // namespace

void DriveTasks::listDrives(Drives done) {
    auto drives = std::make_shared<std::vector<std::string>>();
    work_.run(
        [config = currentConfig(), drives] {
            const cdinfo::CCdda cdda([config] { return config; });
            cdda.GetDriveList(*drives);
        },
        [drives, done = std::move(done)] { done(*drives); });
}

void DriveTasks::eject(const std::string& drive) {
    work_.run(
        [config = currentConfig(), drive] {
            const cdinfo::CCdda cdda([config] { return config; });
            cdda.DoEject(drive);
        },
        [] {});
}

}  // namespace ui::record
