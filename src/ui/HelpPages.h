#pragma once

#include <QUrl>

#include <filesystem>
#include <functional>
#include <optional>

#include "app/SettingsStore.h"

namespace ui {

// The help page in the program folder, when it is there.
std::optional<QUrl> helpUrl(const std::filesystem::path& dataFolder);
// The "HomePage" setting; nothing when it is empty.
std::optional<QUrl> homePageUrl(const app::SettingsStore& settings);

// Hands a page to whoever shows it; true when it was taken.
using PageOpener = std::function<bool(const QUrl&)>;
// The user's browser (QDesktopServices, xdg-open on the desktop).
bool openInBrowser(const QUrl& url);

// Open them with `opener` (the browser when it is empty); false when there
// is nothing to open or nobody opened it.
bool openHelp(const std::filesystem::path& dataFolder, const PageOpener& opener = {});
bool openHomePage(const app::SettingsStore& settings, const PageOpener& opener = {});

}  // namespace ui
