#include "app/SettingsStore.h"

#include <gtest/gtest.h>

#include "platform/ProductKey.h"
#include "platform/Registry.h"
#include "support/TempSettings.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    TempSettings temp;
    app::SettingsStore store;
};

TEST_F(SettingsStoreTest, UserThenMachineThenDefaultAndWritesOnlyTheUser) {
    EXPECT_EQ(store.read(app::settings::kVolume), 50);
    EXPECT_EQ(store.read(app::settings::kLibraryItemPosition),
              "(1,24)(2,100)(3,100)(4,100)(5,60)(6,32)(7,40)(8,40)(9,40)");

    temp.setMachineDword("Settings", "Volume", 70);
    EXPECT_EQ(store.read(app::settings::kVolume), 70);
    ASSERT_TRUE(store.write(app::settings::kVolume, 20));
    EXPECT_EQ(store.read(app::settings::kVolume), 20);
    const auto machine = platform::Registry::instance().read(
        platform::Hive::Machine, platform::productSubkey("Settings"), "Volume");
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine->asDword(), 70u);

    ASSERT_TRUE(store.WriteString("CDDB", "MailAdres", "a@b.example"));
    EXPECT_EQ(store.read(app::settings::kMailAdres), "a@b.example");
    EXPECT_EQ(store.ReadInt("CDDB", "MailAdres", 9), 9);  // a string is no integer
}

TEST_F(SettingsStoreTest, AStringSettingStoredAsANumberReadsEmpty) {
    temp.setDword("Settings", "SkinPath", 3);
    EXPECT_EQ(store.ReadString("Settings", "SkinPath", "/fallback/"), "");
    EXPECT_EQ(store.ReadString("Settings", "HomePage", "/fallback/"), "/fallback/");
}

TEST_F(SettingsStoreTest, NegativeIntegersSurviveTheDword) {
    ASSERT_TRUE(store.WriteInt("Settings", "Equalizer_Gain", -12));
    EXPECT_EQ(store.ReadInt("Settings", "Equalizer_Gain", 0), -12);
}

}  // namespace
