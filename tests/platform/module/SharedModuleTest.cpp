#include "platform/module/SharedModule.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/module/ModuleFolders.h"
#include "platform/wma/WmaCodec.h"
#include "support/TempDir.h"

namespace {

using platform::moduleFoldersFor;
using platform::SharedModule;
namespace fs = std::filesystem;

TEST(ModuleFolders, OverrideThenBuildTreeThenBesideTheProgram) {
    EXPECT_EQ(moduleFoldersFor("/usr/bin/melodux", "/src/build", "/tmp/mods"),
              std::vector<fs::path>{"/tmp/mods"});
    EXPECT_EQ(moduleFoldersFor("/src/build/src/cli/melodux-cli", "/src/build", ""),
              std::vector<fs::path>{"/src/build/lib/mp3-melodux"});
    EXPECT_EQ(moduleFoldersFor("/opt/mm/bin/melodux-cli", "/src/build", ""),
              std::vector<fs::path>{"/opt/mm/lib/mp3-melodux"});
    // A sibling folder whose name starts like the build tree is not inside it.
    EXPECT_EQ(moduleFoldersFor("/src/build2/bin/melodux", "/src/build", ""),
              std::vector<fs::path>{"/src/build2/lib/mp3-melodux"});
    EXPECT_TRUE(moduleFoldersFor("", "/src/build", "").empty());
}

// What cannot be loaded says where it was looked for and why; the first
// folder that holds the module is used, and only for its own version.
TEST(SharedModule, MissingForeignAndOtherVersionsLoadNothing) {
    const testsupport::TempDir dir;
    const std::string file = "melodux-wma.so";
    auto load = [&](const fs::path& folder, int version) {
        return SharedModule({dir / "none", folder}, file, platform::wma::kWmaCodecEntry, version);
    };
    const SharedModule missing = load(dir.path(), platform::wma::kWmaCodecVersion);
    EXPECT_EQ(missing.interface(), nullptr);
    EXPECT_EQ(missing.path(), dir / "none" / file);
    EXPECT_FALSE(missing.failure().empty());

    std::ofstream(dir / file) << std::string(4096, '\x7F');
    const SharedModule foreign = load(dir.path(), platform::wma::kWmaCodecVersion);
    EXPECT_EQ(foreign.interface(), nullptr);
    EXPECT_EQ(foreign.path(), dir / file);
    EXPECT_NE(foreign.failure().find(file), std::string::npos) << foreign.failure();

    EXPECT_EQ(load(MELODUX_MODULE_BUILD_DIR, platform::wma::kWmaCodecVersion + 1).interface(),
              nullptr);
    const SharedModule real = load(MELODUX_MODULE_BUILD_DIR, platform::wma::kWmaCodecVersion);
    ASSERT_NE(real.interface(), nullptr);
    EXPECT_TRUE(real.failure().empty());
    const auto* codec = static_cast<const platform::wma::WmaCodec*>(real.interface());
    EXPECT_TRUE(codec->checkOutput(platform::wma::OutputSettings{}).supported);
}

}  // namespace
