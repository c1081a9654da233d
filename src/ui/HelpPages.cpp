#include "ui/HelpPages.h"

#include <QDesktopServices>
#include <QString>

#include "app/Settings.h"

namespace ui {

namespace {

bool open(const std::optional<QUrl>& url, const PageOpener& opener) {
    return url && (opener ? opener(*url) : openInBrowser(*url));
}

}  // namespace

std::optional<QUrl> helpUrl(const std::filesystem::path& dataFolder) {
    const std::filesystem::path page = dataFolder / "help" / "index.htm";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(page, ec)) {
        return std::nullopt;
    }
    return QUrl::fromLocalFile(QString::fromStdString(page.string()));
}

std::optional<QUrl> homePageUrl(const app::SettingsStore& settings) {
    const std::string address = settings.read(app::settings::kHomePage);
    if (address.empty()) {
        return std::nullopt;
    }
    // A bare host ("www.example.org") is taken as a web address.
    const QUrl url = QUrl::fromUserInput(QString::fromStdString(address));
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

bool openInBrowser(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool openHelp(const std::filesystem::path& dataFolder, const PageOpener& opener) {
    return open(helpUrl(dataFolder), opener);
}

bool openHomePage(const app::SettingsStore& settings, const PageOpener& opener) {
    return open(homePageUrl(settings), opener);
}

}  // namespace ui
