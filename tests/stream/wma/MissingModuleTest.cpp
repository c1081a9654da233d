// Runs in a program of its own: the process's module is looked for once,
// here only where it is not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "WaveFiles.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/ErrorText.h"
#include "stream/ResultCodes.h"
#include "stream/wma/CNxSSWmaOptionPage.h"
#include "stream/wma/CNxSSWmaWriter.h"
#include "stream/wma/WmaComponents.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

constexpr const char* kAbsentFolder = "/nonexistent/melodux-modules";
const std::string kModulePath = std::string(kAbsentFolder) + "/melodux-wma.so";

class MissingModule : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(setenv("MELODUX_MODULE_DIR", kAbsentFolder, 1), 0); }

    CNxSSComponentCatalog Catalog() {
        CNxSSComponentCatalog catalog;
        AddWmaComponents(catalog, [this](const std::string&, const std::string& text) {
            notes_.push_back(text);
        });
        return catalog;
    }

    TempSettings settings_;
    platform::MessageQueue window_;
    const testsupport::TempDir dir_;
    std::vector<std::string> notes_;
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>(Catalog());
};

// Reading: no decoder, and the words name the format and the module.
TEST_F(MissingModule, OpeningAFileOfTheModulesFormatsTellsWhichModuleIsMissing) {
    for (const auto& [name, format] :
         {std::pair{"song.wma", "Windows Media Audio"}, std::pair{"song.flac", "FLAC"}}) {
        const auto file = dir_ / name;
        wavetest::writeText(file, "not decoded before the module is there");
        NxRef<CNxSSComponent> source;
        notes_.clear();
        EXPECT_EQ(manager_->OpenSource(file.string(), source), nxss::kNoDecoder);
        ASSERT_EQ(notes_.size(), 1u);
        EXPECT_NE(notes_[0].find(format), std::string::npos) << notes_[0];
        EXPECT_NE(notes_[0].find(kModulePath), std::string::npos) << notes_[0];
        EXPECT_EQ(manager_->ChildCount(), 0u);
    }
    EXPECT_FALSE(GetErrorText(nxss::kNoDecoder).empty());
}

// Writing: every format is refused with the module's words, and a job
// fails at its start without leaving a file.
TEST_F(MissingModule, WritingIsRefusedBeforeAnyFileIsMade) {
    const auto target = dir_ / "out.wma";
    ASSERT_EQ(manager_->CreateChainFor("::SLNC500", target.string()), 0u);
    manager_->Advise(&window_, 0x401, 0);
    auto page = wavetest::Interface<CNxSSWmaOptionPage>(*manager_, 3);
    page->Select(0);
    EXPECT_EQ(page->Apply(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find(kModulePath), std::string::npos) << page->ErrorText();
    EXPECT_FALSE(page->EntrySupport(30).supported);

    manager_->Start();
    EXPECT_EQ(static_cast<uint32_t>(window_.take(60000).value().wParam), nxss::kNoEncodeCodec);
    const auto& writer = static_cast<CNxSSWmaWriter&>(*manager_->Sink());
    EXPECT_NE(writer.LastErrorText().find(kModulePath), std::string::npos);
    EXPECT_TRUE(dir_.names().empty());
}

}  // namespace
