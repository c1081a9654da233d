#include "stream/wave/CNxSSWaveWriterSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "WaveFiles.h"
#include "platform/acm/CodecRegistry.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"
#include "stream/wave/CNxSSWaveOptionPage.h"
#include "stream/wave/CNxSSWaveWriter.h"
#include "support/TempSettings.h"

namespace {

using platform::WaveFormat;

constexpr const char* kKey = "DoZIrodiz\\WaveWriter";

WaveFormat ImaMono22k() {
    for (const auto& entry : platform::acm::CodecRegistry::current()->formats(0x11)) {
        if (entry.format.channels() == 1 && entry.format.samplesPerSec() == 22050) {
            return entry.format;
        }
    }
    throw std::runtime_error("no IMA ADPCM 22.050 kHz mono");
}

NxRef<CNxSSWaveWriterSettings> NewSettings() {
    return NxRef(new CNxSSWaveWriterSettings());
}

class WaveSettingsTest : public ::testing::Test {
  protected:
    TempSettings settings_;
};

// The record is stored with its exact size and read back; stored values
// that are no record keep the built-in format; a writer starts with what
// is stored.
TEST_F(WaveSettingsTest, StoresLoadsAndDescribesTheRecord) {
    auto settings = NewSettings();
    EXPECT_EQ(settings->Describe(), "WAVE PCM 44.100 kHz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ");
    EXPECT_EQ(
        std::make_tuple(settings->GetSinkKind(), settings->GetExtension(), settings->GetBitrate()),
        std::make_tuple(15, std::string("wav"), 1411200u));
    settings->Save();
    EXPECT_EQ(nxss::ReadBinary(kKey, "WaveType").size(), 18u);
    auto clone = settings->Clone();
    const WaveFormat ima = ImaMono22k();
    ASSERT_EQ(ima.extraSize(), 2u);
    settings->SetTarget(ima);
    EXPECT_FALSE(clone->IsSame(*settings));  // the copy is its own
    EXPECT_EQ(settings->Describe().rfind("WAVE IMA ADPCM ", 0), 0u);
    settings->Save();
    EXPECT_EQ(nxss::ReadBinary(kKey, "WaveType").size(), 20u);
    auto loaded = NewSettings();
    loaded->Load();
    EXPECT_EQ(loaded->Target(), ima);
    EXPECT_TRUE(loaded->IsSame(*settings));

    auto writer = MakeNx<CNxSSWaveWriter>(nullptr, "/nonexistent/out.wav");
    auto page = wavetest::Interface<CNxSSOptionPage>(*writer, 3);
    EXPECT_TRUE(page->Settings().IsSame(*settings));
    EXPECT_FALSE(page->SourceFormat().has_value());  // nothing is connected yet
    writer->Shutdown();

    const std::vector<uint8_t> empty, torn{1, 0, 2, 0, 0x44};
    for (const auto* value : {&empty, &torn}) {
        nxss::WriteBinary(kKey, "WaveType", value);
        auto fresh = NewSettings();
        fresh->Load();
        EXPECT_EQ(fresh->Target(), WaveFormat::pcm(2, 44100, 16));
    }
    WaveFormat unknown;
    unknown.setTag(0x1234);
    settings->SetTarget(unknown);
    EXPECT_EQ(settings->Describe(), "");
}

// Without codecs only the 24 PCM formats are offered; the closest entry
// goes by channels first, then rate, then bits, the first of equals winning.
TEST_F(WaveSettingsTest, WithoutCodecsThePcmFormatsAndTheClosestEntry) {
    auto page = MakeNx<CNxSSWaveOptionPage>(nullptr, NewSettings());
    const auto tags = page->FormatTags();
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].tag, 1u);
    const auto pcm = CNxSSWaveOptionPage::Formats(1);
    ASSERT_EQ(pcm.size(), 24u);
    EXPECT_EQ(pcm[0].text, "8.000Hz, 8 ﾋﾞｯﾄ, ﾓﾉﾗﾙ");
    EXPECT_EQ(pcm[0].format, WaveFormat::pcm(1, 8000, 8));
    EXPECT_EQ(pcm[5].text, "11.025Hz, 8 ﾋﾞｯﾄ, ｽﾃﾚｵ");
    EXPECT_EQ(pcm[23].format, WaveFormat::pcm(2, 48000, 16));

    using Page = CNxSSWaveOptionPage;
    EXPECT_EQ(Page::ClosestEntry(pcm, WaveFormat::pcm(2, 44100, 16)), 19u);
    EXPECT_EQ(Page::ClosestEntry(pcm, ImaMono22k()), 8u);
    EXPECT_EQ(Page::ClosestEntry(pcm, WaveFormat::pcm(2, 96000, 24)), 23u);
    EXPECT_EQ(Page::ClosestEntry(pcm, WaveFormat::pcm(1, 9000, 12)), 0u);
    EXPECT_EQ(Page::ClosestEntry({}, WaveFormat::pcm(1, 8000, 8)), Page::kNone);
}

// With codecs enabled every codec's formats follow the PCM ones in one
// list (each is written and read back by the writer's tests).
TEST_F(WaveSettingsTest, AsAFormatChoiceThePageOffersOneList) {
    settings_.setDword(kKey, "EnableCodec", 1);
    auto settings = NewSettings();
    auto page = MakeNx<CNxSSWaveOptionPage>(nullptr, settings);
    std::vector<uint16_t> tags;
    for (const auto& tag : page->FormatTags()) {
        tags.push_back(tag.tag);
    }
    EXPECT_EQ(tags.front(), 1u);
    for (const uint16_t tag : {0x02, 0x03, 0x06, 0x07, 0x11}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
    }
    // Extensible records can be read but are never offered for writing.
    EXPECT_EQ(std::find(tags.begin(), tags.end(), 0xFFFE), tags.end());
    CNxSSFormatChoice& choice = *page;
    const auto texts = choice.EntryTexts();
    ASSERT_GT(texts.size(), 24u);
    EXPECT_EQ(texts[19], "44.100Hz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ");
    EXPECT_EQ(texts[24].rfind(page->FormatTags().at(1).name + " ", 0), 0u);  // led by the tag
    EXPECT_EQ(choice.Selection(), 19);

    // Rate and channels change; tag and sample size stay.
    const int mono = choice.FindEntry({.sampleRate = 22050, .channels = 1, .bitrate = {}});
    ASSERT_EQ(mono, 10);
    choice.Select(mono);
    EXPECT_EQ(choice.Apply(), 0u);
    EXPECT_EQ(settings->Target(), WaveFormat::pcm(1, 22050, 16));
    EXPECT_EQ(choice.FindEntry({.sampleRate = 12345, .channels = {}, .bitrate = {}}), -1);

    choice.Select(-1);
    EXPECT_EQ(choice.Apply(), nxss::kFail);
}

TEST_F(WaveSettingsTest, SettingsNoCodecWritesAreCaughtBeforeWriting) {
    auto settings = NewSettings();
    auto page = MakeNx<CNxSSWaveOptionPage>(nullptr, settings);
    EXPECT_EQ(page->CheckSettings(), 0u);
    WaveFormat unknown = WaveFormat::pcm(2, 44100, 16);
    unknown.setTag(0x1234);
    settings->SetTarget(unknown);
    EXPECT_EQ(page->CheckSettings(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find("0x1234"), std::string::npos);
    // A tag that is not offered selects among the PCM entries.
    EXPECT_EQ(page->Selection(), 19);
}

}  // namespace
