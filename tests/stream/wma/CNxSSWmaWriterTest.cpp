#include "stream/wma/CNxSSWmaWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "WaveFiles.h"
#include "WmaTestSupport.h"
#include "platform/MessageQueue.h"
#include "platform/wma/AsfGuid.h"
#include "stream/CNxSSManager.h"
#include "stream/RegistryFunctions.h"
#include "stream/ResultCodes.h"
#include "stream/wma/CNxSSWmaWriterSettings.h"
#include "stream/wma/WmaComponents.h"
#include "support/PcmSource.h"
#include "support/TempSettings.h"

namespace {

using platform::wma::OutputSettings;
using wmatest::Pcm;

using wmatest::kRate;
constexpr size_t kCodecFrame = 2048;

// A source of `pcm` owned by `parent`.
NxRef<testsupport::PcmSource> Source(CNxSSObject* parent, const Pcm& pcm) {
    return MakeNx<testsupport::PcmSource>(parent, pcm.format(), pcm.samples);
}

class WmaWriterTest : public testing::Test {
  protected:
    static CNxSSComponentCatalog Catalog() {
        CNxSSComponentCatalog catalog;
        AddWmaComponents(catalog);
        return catalog;
    }

    // A chain from `source` into a WMA writer for `target`.
    void Chain(CNxSSComponent* source, const std::filesystem::path& target) {
        ASSERT_EQ(manager_->CreateChain("", target.string(), CNxSSManager::kSinkWma), 0u);
        ASSERT_EQ(manager_->Connect(source, manager_->Sink()), 0u);
        manager_->Advise(&window_, 0x401, 0);
    }
    uint32_t Next() { return static_cast<uint32_t>(window_.take(60000).value().wParam); }
    CNxSSWmaWriter& Writer() { return static_cast<CNxSSWmaWriter&>(*manager_->Sink()); }
    NxRef<CNxSSWmaOptionPage> Page() {
        return wavetest::Interface<CNxSSWmaOptionPage>(*manager_, 3);
    }

    // The window and the folder outlive the manager's writer thread.
    TempSettings settings_;
    platform::MessageQueue window_;
    const wmatest::TempDir dir_;
    const std::filesystem::path target_ = dir_ / "out.wma";
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>(Catalog());
};

TEST(WmaWriterSettings, DescribeComparePersist) {
    TempSettings temp;
    NxRef<CNxSSWmaWriterSettings> s(new CNxSSWmaWriterSettings());
    EXPECT_EQ(s->Describe(), "WMA 128Kbps 44100Hz Stereo");
    EXPECT_EQ(std::make_tuple(s->GetSinkKind(), s->GetExtension(), s->GetBitrate()),
              std::make_tuple(16, std::string("wma"), 128000u));
    NxRef<CNxSSWriterSettings> copy = s->Clone();
    EXPECT_TRUE(copy->IsSame(*s));
    s->SetOutput({32000, 1, 20000});
    EXPECT_EQ(s->Describe(), "WMA 20Kbps 32000Hz Mono");
    EXPECT_FALSE(copy->IsSame(*s));  // the copy is its own

    s->Save();
    EXPECT_EQ(nxss::ReadDword("DoZIrodiz\\WMAWriter", "SampleRate", 0), 32000u);
    NxRef<CNxSSWmaWriterSettings> loaded(new CNxSSWmaWriterSettings());
    loaded->Load();
    EXPECT_TRUE(loaded->IsSame(*s));
    // Impossible stored values leave the defaults in place.
    temp.setDword("DoZIrodiz\\WMAWriter", "Channels", 6);
    temp.setDword("DoZIrodiz\\WMAWriter", "SampleRate", 0);
    NxRef<CNxSSWmaWriterSettings> odd(new CNxSSWmaWriterSettings());
    odd->Load();
    EXPECT_EQ(odd->Output(), (OutputSettings{44100, 2, 20000}));
}

TEST_F(WmaWriterTest, OptionPageListsTheFormatsAndAppliesSupportedOnes) {
    ASSERT_EQ(manager_->CreateChainFor("", target_.string()), 0u);
    void* out = nullptr;
    EXPECT_EQ(manager_->GetInterface(5, &out), nxss::kNoInterface);
    EXPECT_TRUE(wavetest::Interface<CNxSSOptionPage>(Writer(), 9));
    auto page = Page();

    const auto texts = page->EntryTexts();
    ASSERT_EQ(texts.size(), 32u);
    EXPECT_EQ(texts.front(), "  5Kbps  8000Hz Mono");
    EXPECT_EQ(texts.back(), "160Kbps 44100Hz Stereo");
    EXPECT_EQ(page->Selection(), 30);  // 128Kbps 44100Hz Stereo, the defaults

    auto settings = wavetest::Interface<CNxSSWriterSettings>(*page, 8);
    EXPECT_EQ(settings->Describe(), "WMA 128Kbps 44100Hz Stereo");

    page->Select(-1);
    EXPECT_EQ(page->Apply(), nxss::kFail);
    page->Select(27);
    EXPECT_EQ(page->Apply(), 0u);
    EXPECT_EQ(settings->Describe(), "WMA 64Kbps 44100Hz Stereo");

    // An entry the encoder cannot produce is refused with its reason.
    int refused = -1;
    for (int i = 0; i < 32 && refused < 0; ++i) {
        if (!page->EntrySupport(i).supported) {
            refused = i;
        }
    }
    ASSERT_GE(refused, 0) << "every offered format is supported";
    page->Select(refused);
    EXPECT_EQ(page->Apply(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find("Kbps"), std::string::npos) << page->ErrorText();
    EXPECT_EQ(settings->Describe(), "WMA 64Kbps 44100Hz Stereo");

    static_cast<CNxSSWmaWriterSettings&>(*settings).SetOutput({44100, 2, 192000});
    page->Open();
    EXPECT_EQ(page->Selection(), -1);  // not in the list
}

TEST_F(WmaWriterTest, RequestsFindTheirEntry) {
    ASSERT_EQ(manager_->CreateChainFor("", target_.string()), 0u);
    auto page = Page();
    using Request = CNxSSFormatChoice::Request;
    EXPECT_EQ(page->FindEntry(Request{{}, {}, 64000}), 27);     // keeps 44100 Hz stereo
    EXPECT_EQ(page->FindEntry(Request{{}, {}, 5000}), 0);       // the only 5Kbps entry
    EXPECT_EQ(page->FindEntry(Request{22050, 1, 16000}), 10);   // all given
    EXPECT_EQ(page->FindEntry(Request{{}, 1, {}}), -1);         // several, none keeps 128Kbps
    EXPECT_EQ(page->FindEntry(Request{44100, 2, 192000}), -1);  // not offered
}

// The decoded file starts with the source and is as long, within one codec
// frame: nothing is lost at either end.
TEST_F(WmaWriterTest, WritesTheChainFaithfully) {
    const Pcm tone = wmatest::tone(kRate, 2, kRate * 3 / 2, kRate / 4);
    auto source = Source(manager_.get(), tone);
    Chain(source.get(), target_);
    ASSERT_EQ(manager_->Start(), 0u);
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_EQ(manager_->GetStatus(), CNxSSComponent::kStopped);

    const Pcm decoded = wmatest::decodeAll(target_);
    EXPECT_EQ(decoded.rate, kRate);
    EXPECT_GE(decoded.frames(), tone.frames());
    EXPECT_LE(decoded.frames(), tone.frames() + kCodecFrame);
    EXPECT_NEAR(double(wmatest::onsetOf(decoded)), double(wmatest::onsetOf(tone)), kRate / 1000);
    EXPECT_NEAR(wmatest::levelDb(decoded, kRate / 2, kRate),
                wmatest::levelDb(tone, kRate / 2, kRate), 1.0);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wma"});
}

TEST_F(WmaWriterTest, ConvertsSilenceInTheChosenFormat) {
    ASSERT_EQ(manager_->CreateChainFor("::SLNC1500", target_.string()), 0u);
    manager_->Advise(&window_, 0x401, 0);
    auto page = Page();
    page->Select(page->FindEntry({32000, 1, 32000}));
    ASSERT_EQ(page->Apply(), 0u);
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(Next(), nxss::kFinished);

    const Pcm decoded = wmatest::decodeAll(target_);
    EXPECT_EQ(std::make_pair(decoded.rate, decoded.channels), std::make_pair(32000u, uint16_t{1}));
    EXPECT_NEAR(double(decoded.frames()), 48000, double(kCodecFrame));
    EXPECT_LT(wmatest::levelDb(decoded, 0, decoded.frames()), -90);
}

// Until the stream is complete the target keeps what it held; a stop then
// drops the temporary file and posts nothing.
TEST_F(WmaWriterTest, TargetIsReplacedOnlyByACompleteFile) {
    wmatest::writeBytes(target_, std::vector<uint8_t>{'o', 'l', 'd'});
    auto source = Source(manager_.get(), wmatest::tone(kRate, 2, kRate * 10, 0));
    source->gated = true;
    Chain(source.get(), target_);
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    ASSERT_TRUE(source->reached.wait(60000));

    EXPECT_EQ(wmatest::readBytes(target_), (std::vector<uint8_t>{'o', 'l', 'd'}));
    const auto names = dir_.names();  // sorted
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].substr(0, 2) + names[1], "Nxout.wma");

    manager_->Stop();
    source->gate.set();
    EXPECT_EQ(Writer().SeekAndWait(0), nxss::kFail);  // runs after the stop
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wma"});
    EXPECT_EQ(wmatest::readBytes(target_), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(window_.size(), 0u);

    // Started again, it runs to the end and replaces the old file.
    source->SetPosition(0);
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    EXPECT_EQ(Next(), nxss::kFinished);
    EXPECT_TRUE(platform::wma::guidAt(wmatest::readBytes(target_), 0, platform::wma::asf::kHeader));
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wma"});
}

// Settings the encoder cannot produce (here stored by hand) fail with a
// setting error and its reason before any file is made.
TEST_F(WmaWriterTest, UnsupportedFormatIsRefusedBeforeWriting) {
    settings_.setDword("DoZIrodiz\\WMAWriter", "SampleRate", 8000);
    settings_.setDword("DoZIrodiz\\WMAWriter", "Channels", 1);
    settings_.setDword("DoZIrodiz\\WMAWriter", "Bitrate", 5000);
    ASSERT_EQ(manager_->CreateChainFor("::SLNC500", target_.string()), 0u);
    manager_->Advise(&window_, 0x401, 0);
    auto page = Page();
    EXPECT_EQ(page->Selection(), 0);
    EXPECT_EQ(page->CheckSettings(), nxss::kNoEncodeCodec);
    EXPECT_NE(page->ErrorText().find("8000Hz Mono"), std::string::npos) << page->ErrorText();

    manager_->Start();
    EXPECT_EQ(Next(), nxss::kNoEncodeCodec);
    EXPECT_EQ(Writer().LastErrorText(), page->ErrorText());
    EXPECT_TRUE(dir_.names().empty());
}

TEST_F(WmaWriterTest, UnwritableTargetFailsCleanly) {
    ASSERT_EQ(manager_->CreateChainFor("::SLNC500", (dir_ / "no/such/dir/x.wma").string()), 0u);
    manager_->Advise(&window_, 0x401, 0);
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kFileWriteFailed);
    EXPECT_FALSE(Writer().LastErrorText().empty());
    EXPECT_TRUE(dir_.names().empty());
}

}  // namespace
