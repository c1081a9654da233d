#include "mp3/writer/CNxSSMp3OptionPage.h"

#include <gtest/gtest.h>

#include <set>

#include "mp3/writer/CNxSSMp3Writer.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "stream/CNxSSManager.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"
#include "support/TempSettings.h"

namespace {

using mp3::enc::Mp3WriterSettings;
constexpr std::string_view kKey = "DoZIrodiz\\Mp3Writer";

bool Stored(std::string_view name) {
    return nxss::ReadDword(kKey, name, 7) != 7 || nxss::ReadDword(kKey, name, 8) != 8;
}

NxRef<CNxSSMp3WriterSettings> Loaded() {
    NxRef<CNxSSMp3WriterSettings> s(new CNxSSMp3WriterSettings());
    s->Load();
    return s;
}

TEST(Mp3WriterSettingsStore, SavesTheEditedValuesAndLoadsWhatIsStored) {
    TempSettings temp;
    const auto defaults = Loaded();
    EXPECT_EQ(defaults->Describe(), "MP3 128Kbps 44100Hz Stereo");
    EXPECT_EQ(defaults->GetSinkKind(), 14);
    EXPECT_EQ(defaults->GetExtension(), "mp3");

    Mp3WriterSettings v;
    v.quality = 2;
    v.sampleRate = 22050;
    v.channels = 1;
    v.bitrate = 32000;
    v.copyrightBit = 1;
    v.originalBit = 1;
    v.allowMidside = 1;
    temp.setDword(kKey, "OriginalBit", 0);  // set by hand
    NxRef<CNxSSMp3WriterSettings> s(new CNxSSMp3WriterSettings(v));
    s->Save();
    EXPECT_EQ(nxss::ReadDword(kKey, "Bitrate", 0), 32000u);
    EXPECT_EQ(nxss::ReadDword(kKey, "Quality", 0), 2u);
    EXPECT_EQ(nxss::ReadDword(kKey, "OriginalBit", 9), 0u) << "never written";
    EXPECT_FALSE(Stored("allowIntensity"));
    EXPECT_FALSE(Stored("allowMidside"));

    // A stored 0 is a value, not a missing one.
    temp.setDword(kKey, "VbrQuality", 0);
    temp.setMachineDword(kKey, "allowIntensity", 1);
    const auto back = Loaded();
    EXPECT_EQ(back->Values().vbrQuality, 0);
    EXPECT_EQ(back->Values().allowIntensity, 1);
    EXPECT_EQ(back->Describe(), "MP3 32Kbps 22050Hz Mono");
    EXPECT_FALSE(back->IsSame(*s));  // allowIntensity differs
    auto same = back->Values();
    same.allowIntensity = 0;
    same.vbrQuality = 60;
    same.allowMidside = 1;  // not saved, so not loaded back
    EXPECT_TRUE(NxRef<CNxSSMp3WriterSettings>(new CNxSSMp3WriterSettings(same))->IsSame(*s))
        << "OriginalBit is left out of the comparison";
    EXPECT_TRUE(s->Clone()->IsSame(*s));

    // VBR mode leaves the stored format unread.
    temp.setDword(kKey, "VbrMode", 1);
    temp.setDword(kKey, "VbrQuality", 100);
    const auto vbr = Loaded();
    EXPECT_EQ(vbr->Describe(), "MP3 VBR (Highest Quality)");
    EXPECT_EQ(vbr->Values().sampleRate, 44100);
}

class Mp3OptionPageTest : public testing::Test {
  protected:
    NxRef<CNxSSMp3OptionPage> Page(const Mp3WriterSettings& values = {}) {
        auto page = MakeNx<CNxSSMp3OptionPage>(
            nullptr, NxRef<CNxSSMp3WriterSettings>(new CNxSSMp3WriterSettings(values)));
        return page;
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
    // Without a source: 44100 Hz stereo; only rates that divide it.
    EXPECT_EQ(Rates(*page), (std::set<int>{11025, 22050, 44100}));
    const auto texts = page->EntryTexts();
    ASSERT_GE(page->Selection(), 0);
    EXPECT_EQ(texts[static_cast<size_t>(page->Selection())], "128Kbps 44100Hz Stereo");
    EXPECT_EQ(texts.front(), "  8Kbps 11025Hz Mono");
    EXPECT_LE(texts.size(), 64u);

    // The list follows the source.
    page->SetSourceFormat(platform::WaveFormat::pcm(2, 48000, 16));
    EXPECT_EQ(Rates(*page), (std::set<int>{8000, 12000, 16000, 24000, 48000}));
    EXPECT_EQ(page->Selection(), -1) << "44100 Hz is not offered";
    page->SetSourceFormat(platform::WaveFormat::pcm(1, 44100, 8));
    for (const auto& f : page->Formats()) {
        EXPECT_EQ(f.channels, 1);
    }

    EXPECT_EQ(CNxSSMp3OptionPage::QualityTexts()[2], "Moderate Compression");
    EXPECT_EQ(CNxSSMp3OptionPage::SpeedTexts()[2], "高品質(&Q)");
}

TEST_F(Mp3OptionPageTest, ApplyWritesTheControlsOrNothing) {
    auto page = Page();
    EXPECT_TRUE(page->FormatListEnabled());
    EXPECT_FALSE(page->QualityListEnabled());
    EXPECT_EQ(page->QualitySelection(), 2);

    // CBR without a format: refused, and nothing changes.
    page->Select(-1);
    page->SetSpeed(1);
    EXPECT_EQ(page->Apply(), nxss::kFail);
    EXPECT_EQ(page->Mp3Settings().Values().quality, 0);

    page->Select(page->FindEntry({22050, 1, 32000}));
    page->SetCopyright(true);
    ASSERT_EQ(page->Apply(), 0u);
    auto v = page->Mp3Settings().Values();
    EXPECT_EQ(v.sampleRate, 22050);
    EXPECT_EQ(v.channels, 1);
    EXPECT_EQ(v.bitrate, 32000);
    EXPECT_EQ(v.quality, 1);
    EXPECT_EQ(v.copyrightBit, 1);

    // VBR needs no format; the quality is 20 x (entry + 1).
    page->SetVbrMode(true);
    page->Select(-1);
    page->SelectQuality(3);
    EXPECT_TRUE(page->QualityListEnabled());
    ASSERT_EQ(page->Apply(), 0u);
    v = page->Mp3Settings().Values();
    EXPECT_EQ(v.vbrMode, 1);
    EXPECT_EQ(v.vbrQuality, 80);
    EXPECT_EQ(v.sampleRate, 22050) << "the CBR format is kept";

    // An odd stored quality opens on the entry its description names.
    Mp3WriterSettings odd;
    odd.vbrMode = 1;
    odd.vbrQuality = 130;
    EXPECT_EQ(Page(odd)->QualitySelection(), 2);
}

TEST_F(Mp3OptionPageTest, FindsRequestedFormatsAndChecksSettingsAgainstTheSource) {
    auto page = Page();
    using Request = CNxSSFormatChoice::Request;
    const auto text = [&](const Request& r) {
        const int entry = page->FindEntry(r);
        return entry < 0 ? std::string() : page->EntryTexts()[static_cast<size_t>(entry)];
    };
    EXPECT_EQ(text({{}, {}, 192000}), "192Kbps 44100Hz Stereo");  // keeps rate and channels
    EXPECT_EQ(text({{}, 1, {}}), "128Kbps 44100Hz Mono");
    EXPECT_EQ(text({32000, {}, {}}), "") << "32000 Hz does not divide 44100 Hz";

    EXPECT_EQ(page->CheckSettings(), 0u);
    page->SetSourceFormat(platform::WaveFormat::pcm(2, 22050, 16));
    EXPECT_EQ(page->CheckSettings(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find("22050Hz"), std::string::npos) << page->ErrorText();
    page->SetSourceFormat(platform::WaveFormat::pcm(6, 48000, 16));
    EXPECT_EQ(page->CheckSettings(), nxss::kNoEncodeCodec);
    page->SetSourceFormat(platform::WaveFormat::pcm(1, 8000, 16));
    auto vbr = page->Mp3Settings().Values();
    vbr.vbrMode = 1;
    page->Mp3Settings().SetValues(vbr);
    EXPECT_EQ(page->CheckSettings(), 0u) << "VBR takes any source";
}

TEST_F(Mp3OptionPageTest, TheWriterGivesItsPageWithTheSourceFormat) {
    CNxSSComponentCatalog catalog;
    AddMp3WriterComponents(catalog);
    auto manager = MakeNx<CNxSSManager>(catalog);
    ASSERT_EQ(manager->CreateChainFor("::SLNC500", "/nonexistent/out.mp3"), 0u);
    EXPECT_EQ(manager->Sink()->Tag(), "MP3WRITE");
    void* out = nullptr;
    EXPECT_EQ(manager->Sink()->GetInterface(7, &out), nxss::kNoInterface);
    for (const uint32_t id : {3u, 5u}) {
        ASSERT_EQ(manager->Sink()->GetInterface(id, &out), 0u);
        const auto page = NxRef<CNxSSMp3OptionPage>::adopt(static_cast<CNxSSMp3OptionPage*>(out));
        ASSERT_TRUE(page->SourceFormat());
        EXPECT_EQ(page->SourceFormat()->samplesPerSec(), 44100u);
        EXPECT_EQ(page->Settings().Describe(), "MP3 128Kbps 44100Hz Stereo");
    }
}

}  // namespace
