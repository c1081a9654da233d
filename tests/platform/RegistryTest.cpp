#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <thread>

#include "TempDir.h"

using platform::Hive;
using platform::Registry;
using platform::RegType;
using platform::RegValue;

namespace {

constexpr std::string_view kKey = "Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveOut";

class RegistryTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::filesystem::path userPath = dir / "user" / "registry";
    std::filesystem::path machinePath = dir / "registry.machine";

    Registry makeRegistry() const { return Registry(userPath, machinePath); }
    std::vector<std::string> userFolder() const {
        return testsupport::namesIn(userPath.parent_path());
    }
};

}  // namespace

TEST_F(RegistryTest, FallsBackFromUserToMachineHive) {
    writeText(machinePath,
              "[Software\\Corvanta\\MP3 Melodux\\DoZIrodiz\\WaveOut]\n"
              "\"Blocks\"=dword:00000007\n\"BlockSize\"=dword:00000002\n");
    Registry reg = makeRegistry();
    EXPECT_EQ(reg.read(kKey, "Blocks")->asDword(), 7u);
    ASSERT_TRUE(reg.write(kKey, "Blocks", RegValue::dword(9)));
    EXPECT_EQ(reg.read(kKey, "Blocks")->asDword(), 9u);
    EXPECT_EQ(reg.read(Hive::Machine, kKey, "Blocks")->asDword(), 7u);
    EXPECT_EQ(reg.read(kKey, "BlockSize")->asDword(), 2u);
    EXPECT_FALSE(reg.read(kKey, "DeviceID"));
    // Deleting the user's value uncovers the machine's again; the machine
    // file is never touched.
    ASSERT_TRUE(reg.remove(kKey, "Blocks"));
    EXPECT_EQ(reg.read(kKey, "Blocks")->asDword(), 7u);
    EXPECT_EQ(readText(machinePath).find("00000009"), std::string::npos);
}

TEST_F(RegistryTest, StoresEachTypeAndTellsThemApart) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "Number", RegValue::dword(0xFFFFFFFF)));
    ASSERT_TRUE(reg.write(kKey, "Text", RegValue::text("ＭＰ３ \"x\"")));
    ASSERT_TRUE(reg.write(kKey, "Block", RegValue::binary({1, 2, 3})));
    ASSERT_TRUE(reg.write(kKey, "Empty", RegValue::binary({})));

    Registry fresh = makeRegistry();  // reads the file, not a cache
    EXPECT_EQ(fresh.read(kKey, "Number")->asDword(), 0xFFFFFFFFu);
    EXPECT_EQ(fresh.read(kKey, "Text")->asText(), "ＭＰ３ \"x\"");
    EXPECT_FALSE(fresh.read(kKey, "Text")->asDword());
    EXPECT_FALSE(fresh.read(kKey, "Number")->asText());
    EXPECT_EQ(fresh.read(kKey, "Block")->data, (std::vector<uint8_t>{1, 2, 3}));
    const auto empty = fresh.read(kKey, "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, RegType::Binary);
    EXPECT_TRUE(empty->data.empty());

    EXPECT_FALSE(reg.write(kKey, "Bad", RegValue{RegType::Dword, {1, 2}}));
    EXPECT_FALSE(reg.write("", "NoKey", RegValue::dword(1)));
    EXPECT_FALSE(reg.write("Bad\nKey", "N", RegValue::dword(1)));
}

TEST_F(RegistryTest, KeysAndNamesIgnoreAsciiCase) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "DeviceID", RegValue::dword(1)));
    ASSERT_TRUE(reg.write("SOFTWARE\\corvanta\\mp3 melodux\\dozirodiz\\waveout\\", "deviceid",
                          RegValue::dword(2)));
    EXPECT_EQ(
        reg.read("\\software\\CORVANTA\\MP3 MELODUX\\DoZIrodiz\\WaveOut", "DEVICEID")->asDword(),
        2u);
    // The first spelling of the key and the name is kept.
    EXPECT_EQ(reg.valueNames(Hive::User, kKey), std::vector<std::string>{"DeviceID"});
    EXPECT_EQ(reg.subkeyNames(Hive::User, "software\\corvanta\\MP3 MELODUX"),
              std::vector<std::string>{"DoZIrodiz"});
    EXPECT_TRUE(reg.keyExists(Hive::User, "software"));
    EXPECT_FALSE(reg.keyExists(Hive::Machine, "software"));
    // Case folding is ASCII only.
    ASSERT_TRUE(reg.write(kKey, "Ä", RegValue::dword(3)));
    EXPECT_FALSE(reg.read(kKey, "ä"));
}

TEST_F(RegistryTest, DeletionKeepsTheKeyAndOtherValues) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "A", RegValue::dword(1)));
    ASSERT_TRUE(reg.write(kKey, "B", RegValue::dword(2)));
    ASSERT_TRUE(reg.remove(kKey, "a"));
    EXPECT_TRUE(reg.remove(kKey, "A"));  // already gone counts as success
    EXPECT_TRUE(reg.remove("No\\Such\\Key", "A"));
    EXPECT_EQ(makeRegistry().valueNames(Hive::User, kKey), std::vector<std::string>{"B"});
    ASSERT_TRUE(reg.remove(kKey, "B"));
    EXPECT_TRUE(makeRegistry().keyExists(Hive::User, kKey));
}

TEST_F(RegistryTest, WritesLeaveNoTemporaryAndKeepPermissions) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "A", RegValue::dword(1)));
    ::chmod(userPath.c_str(), 0640);
    ASSERT_TRUE(reg.write(kKey, "A", RegValue::dword(2)));
    EXPECT_EQ(userFolder(), (std::vector<std::string>{"registry", "registry.lock"}));
    struct stat st {};
    ASSERT_EQ(::stat(userPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(RegistryTest, AFailedWriteKeepsTheOldFile) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "A", RegValue::dword(1)));
    const std::string before = readText(userPath);
    // A file size limit makes the write itself fail, whoever runs the test.
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Registry other(userPath, machinePath);
        const bool wrote = other.write(kKey, "Long", RegValue::text(std::string(100, 'x')));
        ::_exit(wrote ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readText(userPath), before);
    EXPECT_EQ(userFolder(), (std::vector<std::string>{"registry", "registry.lock"}));
    EXPECT_EQ(reg.read(kKey, "A")->asDword(), 1u);
}

TEST_F(RegistryTest, AReadOnlyFolderFailsTheWriteCleanly) {
    Registry reg = makeRegistry();
    ASSERT_TRUE(reg.write(kKey, "A", RegValue::dword(1)));
    const std::string before = readText(userPath);
    const auto folder = userPath.parent_path();
    // Root ignores permissions, so the writer runs as an ordinary user.
    constexpr uid_t kNobody = 65534;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        for (const auto& entry : {folder, folder / "registry", folder / "registry.lock"}) {
            ASSERT_EQ(::chown(entry.c_str(), kNobody, kNobody), 0);
        }
    }
    ::chmod(folder.c_str(), 0500);
    const pid_t child = ::fork();
    if (child == 0) {
        if (asRoot && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(2);
        }
        Registry other(userPath, machinePath);
        const bool refused = !other.write(kKey, "A", RegValue::dword(2)) &&
                             other.lastWriteError().starts_with("cannot create");
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(readText(userPath), before);
    EXPECT_EQ(makeRegistry().read(kKey, "A")->asDword(), 1u);
}

TEST_F(RegistryTest, ACorruptHiveIsReportedOnceKeptAndNotOverwrittenBlindly) {
    std::filesystem::create_directories(userPath.parent_path());
    const std::string garbage = "[Software\\Corvanta]\n\"A\"=dword:1\nthis is not a setting\n";
    writeText(userPath, garbage);
    Registry reg = makeRegistry();

    testing::internal::CaptureStderr();
    EXPECT_FALSE(reg.read("Software\\Corvanta", "A"));
    EXPECT_FALSE(reg.read("Software\\Corvanta", "B"));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("3 行目"), std::string::npos);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1);  // once

    testing::internal::CaptureStderr();
    ASSERT_TRUE(reg.write("Software\\Corvanta", "B", RegValue::dword(2)));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readText(dir / "user" / "registry.bad"), garbage);
    Registry fresh = makeRegistry();
    EXPECT_EQ(fresh.read("Software\\Corvanta", "B")->asDword(), 2u);
    EXPECT_FALSE(fresh.read("Software\\Corvanta", "A"));

    // A second corruption does not replace the first copy.
    writeText(userPath, "junk\n");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(reg.write("Software\\Corvanta", "C", RegValue::dword(3)));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readText(dir / "user" / "registry.bad"), garbage);
    EXPECT_EQ(readText(dir / "user" / "registry.bad.1"), "junk\n");
}

TEST_F(RegistryTest, ReadsSeeChangesOfOtherWriters) {
    Registry app = makeRegistry();
    Registry cli = makeRegistry();
    EXPECT_FALSE(app.read(kKey, "Blocks"));
    ASSERT_TRUE(cli.write(kKey, "Blocks", RegValue::dword(8)));
    EXPECT_EQ(app.read(kKey, "Blocks")->asDword(), 8u);
    // The app's write starts from the file, not from its older copy.
    ASSERT_TRUE(app.write(kKey, "DeviceID", RegValue::dword(1)));
    EXPECT_EQ(cli.read(kKey, "Blocks")->asDword(), 8u);
    EXPECT_EQ(cli.read(kKey, "DeviceID")->asDword(), 1u);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    constexpr int kEach = 40;
    auto writer = [this](const char* prefix) {
        Registry reg = makeRegistry();
        for (int i = 0; i < kEach; ++i) {
            ASSERT_TRUE(reg.write(kKey, prefix + std::to_string(i), RegValue::dword(i)));
        }
    };
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    a.join();
    b.join();
    EXPECT_EQ(makeRegistry().valueNames(Hive::User, kKey).size(), 2u * kEach);
}

TEST(RegistryPaths, FollowTheEnvironment) {
    const char* names[] = {"MELODUX_CONFIG_HOME", "XDG_CONFIG_HOME", "MELODUX_SYSTEM_CONFIG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i) {
        if (const char* v = std::getenv(names[i])) {
            saved[i] = v;
        }
    }
    ::setenv("MELODUX_CONFIG_HOME", "/tmp/a", 1);
    ::setenv("MELODUX_SYSTEM_CONFIG", "/tmp/b", 1);
    EXPECT_EQ(Registry::defaultUserHivePath(), "/tmp/a/registry");
    EXPECT_EQ(Registry::defaultMachineHivePath(), "/tmp/b/registry");
    ::unsetenv("MELODUX_CONFIG_HOME");
    ::unsetenv("MELODUX_SYSTEM_CONFIG");
    ::setenv("XDG_CONFIG_HOME", "/tmp/x", 1);
    EXPECT_EQ(Registry::defaultUserHivePath(), "/tmp/x/mp3-melodux/registry");
    EXPECT_EQ(Registry::defaultMachineHivePath(), "/etc/mp3-melodux/registry");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // ignored, as the XDG rules say
    EXPECT_EQ(Registry::defaultUserHivePath().filename(), "registry");
    EXPECT_NE(Registry::defaultUserHivePath().string().find("/.config/mp3-melodux/"),
              std::string::npos);
    for (int i = 0; i < 3; ++i) {
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
    }
}
