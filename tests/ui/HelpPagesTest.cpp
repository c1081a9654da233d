#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/Settings.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"
#include "ui/HelpPages.h"

namespace ui {
namespace {

TEST(HelpPagesTest, TheHelpPageIsFoundInTheBuildTreesDataFolderOnly) {
    const std::filesystem::path data = MELODUX_BUILD_DATA_DIR;
    const std::optional<QUrl> url = helpUrl(data);
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->isLocalFile());
    EXPECT_EQ(url->toLocalFile().toStdString(), (data / "help/index.htm").string());
    std::ifstream page(data / "help/index.htm");
    const std::string text{std::istreambuf_iterator<char>(page), {}};
    EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(text.find("ヘルプ"), std::string::npos);

    testsupport::TempDir empty;
    EXPECT_FALSE(helpUrl(empty.path()));
    EXPECT_FALSE(openHelp(empty.path()));
}

TEST(HelpPagesTest, TheHomePageComesFromItsSetting) {
    TempSettings settings;
    app::SettingsStore store;
    struct Case {
        std::string setting;
        std::optional<std::string> url;
    } cases[] = {
        {"", std::nullopt},
        {"https://melodux.example/ja/", "https://melodux.example/ja/"},
        {"melodux.example", "http://melodux.example"},
    };
    for (const Case& c : cases) {
        store.write(app::settings::kHomePage, c.setting);
        const std::optional<QUrl> url = homePageUrl(store);
        EXPECT_EQ(url ? std::optional(url->toString().toStdString()) : std::nullopt, c.url)
            << c.setting;
    }
    store.write(app::settings::kHomePage, "");
    EXPECT_FALSE(openHomePage(store));
}

}  // namespace
}  // namespace ui
