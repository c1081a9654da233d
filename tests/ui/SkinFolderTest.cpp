#include "ui/SkinFolder.h"

#include <gtest/gtest.h>

#include "app/SettingsStore.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

class SkinFolderTest : public ::testing::Test {
  protected:
    SkinFolderTest() {
        for (const char* name : {"Navy", "Green"}) {
            std::filesystem::create_directories(data.path() / "Skin" / name);
        }
    }
    TempSettings temp;
    testsupport::TempDir data;
    app::SettingsStore store;
};

TEST_F(SkinFolderTest, AnUnsetSkinPathBecomesNavyInTheDataFolderAndIsStored) {
    const std::string navy = (data.path() / "Skin" / "Navy").string() + "/";
    EXPECT_EQ(ui::GetSkinFolder(store, data.path(), true), navy + "Skin.ini");
    EXPECT_EQ(store.read(app::settings::kSkinPath), navy);
    store.write(app::settings::kSkinPath, "/opt/skins/Mine");
    EXPECT_EQ(ui::GetSkinFolder(store, data.path(), false), "/opt/skins/Mine/");
    store.write(app::settings::kSkinPath, "");  // an emptied value is no folder "/"
    EXPECT_EQ(ui::GetSkinFolder(store, data.path(), false), navy);
}

TEST_F(SkinFolderTest, SelectingASkinTakesTheSiblingFolderOnlyWhenItExists) {
    const std::string skins = (data.path() / "Skin").string() + "/";
    EXPECT_EQ(ui::SelectSkin(store, data.path(), "Green"), "");  // unset: the data folder's
    EXPECT_EQ(store.read(app::settings::kSkinPath), skins + "Green/");
    EXPECT_EQ(ui::SelectSkin(store, data.path(), "Orange"), skins + "Orange/ が見つかりません。");
    EXPECT_EQ(store.read(app::settings::kSkinPath), skins + "Green/");
    store.write(app::settings::kSkinPath, skins + "Green");  // no trailing slash
    EXPECT_EQ(ui::SelectSkin(store, data.path(), "Navy"), "");
    EXPECT_EQ(store.read(app::settings::kSkinPath), skins + "Navy/");
}

}  // namespace
