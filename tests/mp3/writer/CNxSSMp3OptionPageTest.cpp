#include "mp3/writer/CNxSSMp3OptionPage.h"

#include <gtest/gtest.h>

#include <set>

#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"
#include "support/TempSettings.h"

namespace {

using mp3::enc::Mp3WriterSettings;
constexpr std::string_view kKey = "DoZIrodiz\\Mp3Writer";

NxRef<CNxSSMp3WriterSettings> Loaded() {
    NxRef<CNxSSMp3WriterSettings> s(new CNxSSMp3WriterSettings());
    s->Load();
    return s;
}

TEST(Mp3WriterSettingsStore, SavesTheEditedValuesAndLoadsWhatIsStored) {
    TempSettings temp;
    Mp3WriterSettings v;
    v.bitrate = 64000;
    v.originalBit = 1;
    v.allowMidside = 1;
    temp.setDword(kKey, "OriginalBit", 0);  // set by hand
    NxRef<CNxSSMp3WriterSettings>(new CNxSSMp3WriterSettings(v))->Save();
    EXPECT_EQ(nxss::ReadDword(kKey, "Bitrate", 0), 64000u);
    EXPECT_EQ(nxss::ReadDword(kKey, "OriginalBit", 9), 0u) << "never written";
    EXPECT_EQ(nxss::ReadDword(kKey, "allowMidside", 9), 9u) << "never written";

    // A stored 0 is a value, not a missing one; the machine's values count.
    temp.setDword(kKey, "VbrQuality", 0);
    temp.setMachineDword(kKey, "allowIntensity", 1);
    const auto back = Loaded()->Values();
    EXPECT_EQ(back.vbrQuality, 0);
    EXPECT_EQ(back.allowIntensity, 1);
    EXPECT_EQ(back.bitrate, 64000);
    EXPECT_EQ(Loaded()->Describe(), "MP3 64Kbps 44100Hz Stereo");
}

class Mp3OptionPageTest : public testing::Test {
  protected:
    static NxRef<CNxSSMp3OptionPage> Page(const Mp3WriterSettings& values = {}) {
        return MakeNx<CNxSSMp3OptionPage>(
            nullptr, NxRef<CNxSSMp3WriterSettings>(new CNxSSMp3WriterSettings(values)));
    }
    static std::set<int> Rates(const CNxSSMp3OptionPage& page) {
        std::set<int> rates;
        for (const auto& f : page.Formats()) {
            rates.insert(f.sampleRate);
        }
        return rates;
    }

    TempSettings temp_;
};

TEST_F(Mp3OptionPageTest, ListsTheFormatsTheSourceAllows) {
    auto page = Page();
    // Without a source: 44100 Hz stereo, and only rates that divide it.
    EXPECT_EQ(Rates(*page), (std::set<int>{11025, 22050, 44100}));
    ASSERT_GE(page->Selection(), 0);
    EXPECT_EQ(page->EntryTexts()[size_t(page->Selection())], "128Kbps 44100Hz Stereo");
    EXPECT_EQ(page->EntryTexts().front(), "  8Kbps 11025Hz Mono");

    page->SetSourceFormat(platform::WaveFormat::pcm(2, 48000, 16));
    EXPECT_EQ(Rates(*page), (std::set<int>{8000, 12000, 16000, 24000, 48000}));
    EXPECT_EQ(page->Selection(), -1) << "44100 Hz is not offered";
    EXPECT_EQ(page->CheckSettings(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find("48000Hz Stereo"), std::string::npos) << page->ErrorText();
}

TEST_F(Mp3OptionPageTest, ApplyWritesTheControlsOrNothing) {
    auto page = Page();
    EXPECT_TRUE(page->FormatListEnabled());
    EXPECT_FALSE(page->QualityListEnabled());
    page->Select(-1);
    page->SetSpeed(1);
    EXPECT_EQ(page->Apply(), nxss::kFail) << "CBR without a format";
    EXPECT_EQ(page->Mp3Settings().Values().quality, 0) << "nothing changes";

    page->Select(page->FindEntry({22050, 1, 32000}));
    page->SetCopyright(true);
    ASSERT_EQ(page->Apply(), 0u);
    EXPECT_EQ(page->Settings().Describe(), "MP3 32Kbps 22050Hz Mono");
    EXPECT_EQ(page->Mp3Settings().Values().quality, 1);
    EXPECT_EQ(page->Mp3Settings().Values().copyrightBit, 1);

    page->SetVbrMode(true);
    page->SelectQuality(3);
    EXPECT_TRUE(page->QualityListEnabled());
    ASSERT_EQ(page->Apply(), 0u);
    EXPECT_EQ(page->Mp3Settings().Values().vbrQuality, 80);
    EXPECT_EQ(page->Settings().Describe(), "MP3 VBR (High Quality)");

    // A stored quality out of range opens on the entry its description names.
    EXPECT_EQ(Page(Mp3WriterSettings{.vbrMode = 1, .vbrQuality = 130})->QualitySelection(), 2);
}

}  // namespace
