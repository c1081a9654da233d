#include "platform/wma/WmaModule.h"

#include <gtest/gtest.h>

#include "WmaTestSupport.h"
#include "platform/wma/ModuleFolders.h"
#include "platform/wma/WmaError.h"

namespace {

using namespace platform::wma;
namespace fs = std::filesystem;

TEST(WmaModuleFolders, OverrideThenBuildTreeThenBesideTheProgram) {
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

// What cannot be loaded is the missing-codec error naming the module's path;
// the first folder that holds the module is used.
TEST(WmaModuleLoad, MissingOrForeignModulesAreNamedAndTheRealOneDecodes) {
    const wmatest::TempDir dir;
    auto failure = [](const WmaModule& module) {
        try {
            module.codec();
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::MissingCodec);
            return e.modulePath() + " | " + e.what();
        }
        return std::string("loaded");
    };
    const std::string missing = failure(WmaModule({dir / "none", dir.path()}, kWmaModuleFile));
    EXPECT_EQ(missing.rfind((dir / "none" / kWmaModuleFile).string() + " | ", 0), 0u) << missing;

    wmatest::writeBytes(dir / kWmaModuleFile, std::vector<uint8_t>(4096, 0x7F));
    const std::string foreign = failure(WmaModule({dir / "none", dir.path()}, kWmaModuleFile));
    EXPECT_EQ(foreign.rfind((dir / kWmaModuleFile).string() + " | ", 0), 0u) << foreign;
    EXPECT_GT(foreign.size(), (dir / kWmaModuleFile).string().size() + 3);

    const WmaModule real({dir / "none", MELODUX_MODULE_BUILD_DIR}, kWmaModuleFile);
    wmatest::writeWma(dir / "x.wma", wmatest::tone(44100, 1, 4410, 0), {44100, 1, 32000});
    EXPECT_EQ(real.codec().openDecoder(dir / "x.wma")->info().channels, 1);
}

}  // namespace
