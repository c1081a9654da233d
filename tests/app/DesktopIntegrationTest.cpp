// The program's marks on the user's desktop: default applications and the
// disc autorun switch, each given back exactly as it was found.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/AutorunGuard.h"
#include "app/GsettingsAutorun.h"
#include "app/MimeAssociations.h"
#include "platform/Registry.h"
#include "platform/RunProgram.h"
#include "support/TempDir.h"

namespace app {
namespace {

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

constexpr const char* kForeignList =
    "# kept by hand\n"
    "[Added Associations]\n"
    "audio/mpeg=other-player.desktop;\n"
    "\n"
    "[Default Applications]\n"
    "audio/mpeg = other-player.desktop;third.desktop;\n"
    "text/plain=editor.desktop\n"
    "\n"
    "[Removed Associations]\n"
    "image/png=viewer.desktop;\n";

TEST(MimeAssociationsTest, TakingAndGivingBackRestoresTheFileByteForByte) {
    testsupport::TempDir dir;
    const auto list = dir / "mimeapps.list";
    std::ofstream(list) << kForeignList;
    MimeAssociations associations(list, "mp3-melodux.desktop");
    EXPECT_FALSE(associations.IsAssociated("audio/mpeg"));

    ASSERT_TRUE(associations.SetAssociation("audio/mpeg", true));
    ASSERT_TRUE(associations.SetAssociation("audio/x-wav", true));  // none before
    EXPECT_TRUE(associations.IsAssociated("audio/mpeg"));
    EXPECT_TRUE(associations.IsAssociated("audio/x-wav"));
    const std::string taken = contentsOf(list);
    EXPECT_NE(taken.find("[X-Melodux_Back]\naudio/mpeg=other-player.desktop;third.desktop;\n"),
              std::string::npos)
        << taken;
    EXPECT_EQ(taken.find("audio/x-wav=", taken.find("[X-Melodux_Back]")), std::string::npos)
        << "an empty default needs no backup";
    EXPECT_NE(taken.find("text/plain=editor.desktop\n"), std::string::npos);
    // Enabling again changes nothing, and not the backup either.
    ASSERT_TRUE(associations.SetAssociation("audio/mpeg", true));
    EXPECT_EQ(contentsOf(list), taken);

    ASSERT_TRUE(associations.SetAssociation("audio/x-wav", false));
    ASSERT_TRUE(associations.SetAssociation("audio/mpeg", false));
    EXPECT_FALSE(associations.IsAssociated("audio/mpeg"));
    const std::string back = contentsOf(list);
    EXPECT_NE(back.find("audio/mpeg=other-player.desktop;third.desktop;\n"), std::string::npos);
    EXPECT_EQ(back.find("X-Melodux_Back"), std::string::npos) << back;
    EXPECT_EQ(back.find("audio/x-wav"), std::string::npos);
    EXPECT_NE(back.find("# kept by hand\n[Added Associations]\n"), std::string::npos);
    EXPECT_NE(back.find("[Removed Associations]\nimage/png=viewer.desktop;\n"), std::string::npos);
}

TEST(MimeAssociationsTest, AnotherProgramsDefaultIsNeverTakenAwayAndLinksAreFollowed) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "dotfiles");
    const auto real = dir / "dotfiles/mimeapps.list";
    std::ofstream(real) << "[Default Applications]\naudio/x-scpls=mp3-melodux.desktop;\n";
    std::filesystem::create_symlink(real, dir / "mimeapps.list");
    MimeAssociations associations(dir / "mimeapps.list", "mp3-melodux.desktop");

    // Ours without a backup: giving it up leaves no default.
    ASSERT_TRUE(associations.SetAssociation("audio/x-scpls", false));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "mimeapps.list"));
    EXPECT_EQ(contentsOf(real), "[Default Applications]\n");

    ASSERT_TRUE(associations.SetAssociation("audio/mpeg", true));
    // Another program takes the type meanwhile; giving it up leaves theirs.
    std::ofstream(real) << "[Default Applications]\naudio/mpeg=theirs.desktop;\n"
                        << "[X-Melodux_Back]\naudio/mpeg=older.desktop;\n";
    ASSERT_TRUE(associations.SetAssociation("audio/mpeg", false));
    EXPECT_EQ(contentsOf(real),
              "[Default Applications]\naudio/mpeg=theirs.desktop;\n"
              "[X-Melodux_Back]\naudio/mpeg=older.desktop;\n");

    // A list that does not exist yet is made.
    MimeAssociations fresh(dir / "new/mimeapps.list", "mp3-melodux.desktop");
    ASSERT_TRUE(fresh.SetAssociation("audio/x-ms-wma", true));
    EXPECT_EQ(contentsOf(dir / "new/mimeapps.list"),
              "[Default Applications]\naudio/x-ms-wma=mp3-melodux.desktop;\n");
}

// The desktop's switch, held in memory; nothing when `present` is false.
struct FakeAutorun : AutorunSetting {
    std::optional<bool> heldOff() override {
        return present ? std::optional<bool>(value) : std::nullopt;
    }
    bool setHeldOff(bool off) override {
        ++writes;
        value = off;
        return present;
    }
    bool present = true;
    bool value = false;
    int writes = 0;
};

class AutorunGuardTest : public ::testing::Test {
  protected:
    bool backupLeft() const {
        return registry_
            .read(platform::Hive::User, platform::productSubkey("AudioCD"),
                  AutorunGuard::kBackupName)
            .has_value();
    }
    testsupport::TempDir dir_;
    platform::Registry registry_{dir_ / "user", dir_ / "machine"};
    FakeAutorun setting_;
};

TEST_F(AutorunGuardTest, HeldOffWhileRunningAndRepairedAfterACrash) {
    {
        AutorunGuard guard(setting_, registry_);
        guard.Suppress();
        EXPECT_TRUE(setting_.value);
        EXPECT_TRUE(backupLeft());
        // The program dies here: no Restore().
    }
    EXPECT_TRUE(setting_.value);
    AutorunGuard next(setting_, registry_);
    next.Suppress();  // gives the crashed run's change back, then holds off anew
    EXPECT_TRUE(setting_.value);
    EXPECT_TRUE(backupLeft());
    next.Restore();
    EXPECT_FALSE(setting_.value);
    EXPECT_FALSE(backupLeft());
}

TEST_F(AutorunGuardTest, LeavesAloneWhatItDidNotChange) {
    // Already held off by the user: nothing saved, nothing given back.
    setting_.value = true;
    AutorunGuard off(setting_, registry_);
    off.Suppress();
    off.Restore();
    EXPECT_TRUE(setting_.value);
    EXPECT_EQ(setting_.writes, 0);
    EXPECT_FALSE(backupLeft());

    // Turned on again by someone else while running: theirs stays.
    setting_.value = false;
    AutorunGuard guard(setting_, registry_);
    guard.Suppress();
    setting_.value = false;
    guard.Restore();
    EXPECT_FALSE(setting_.value);
    EXPECT_FALSE(backupLeft());

    // A desktop without the switch: nothing at all.
    setting_.present = false;
    setting_.writes = 0;
    AutorunGuard none(setting_, registry_);
    none.Suppress();
    none.Restore();
    EXPECT_EQ(setting_.writes, 0);
    EXPECT_FALSE(backupLeft());
}

// The real switch through gsettings, kept in a private key file.
TEST_F(AutorunGuardTest, RealSwitchThroughGsettings) {
    if (!platform::runProgram({"gsettings", "list-keys", "org.gnome.desktop.media-handling"})) {
        GTEST_SKIP() << "gsettings or the media-handling schema is not installed";
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configBefore = config ? config : "";
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    GsettingsAutorun gsettings;
    ASSERT_TRUE(gsettings.setHeldOff(false));
    AutorunGuard guard(gsettings, registry_);
    guard.Suppress();
    EXPECT_EQ(gsettings.heldOff(), true);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "config/glib-2.0/settings/keyfile"));
    guard.Restore();
    EXPECT_EQ(gsettings.heldOff(), false);
    ::unsetenv("GSETTINGS_BACKEND");
    configBefore.empty() ? ::unsetenv("XDG_CONFIG_HOME")
                         : ::setenv("XDG_CONFIG_HOME", configBefore.c_str(), 1);
}

}  // namespace
}  // namespace app
