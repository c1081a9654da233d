#pragma once

#include <QUrl>

#include <filesystem>
#include <optional>

#include "app/SettingsStore.h"

namespace ui {

// The help page in the program folder, when it is there.
std::optional<QUrl> helpUrl(const std::filesystem::path& dataFolder);
// The "HomePage" setting; nothing when it is empty.
std::optional<QUrl> homePageUrl(const app::SettingsStore& settings);

// Open them in the user's browser (QDesktopServices, xdg-open on the
// desktop); false when there is nothing to open or nobody opened it.
bool openHelp(const std::filesystem::path& dataFolder);
bool openHomePage(const app::SettingsStore& settings);

}  // namespace ui
