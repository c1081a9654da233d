#include "stream/CNxSSManager.h"

#include <gtest/gtest.h>

#include <tuple>

#include "FakeWaveOut.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/CNxSSWaveOut.h"
#include "stream/ResultCodes.h"
#include "support/TempSettings.h"

namespace {

class ManagerTest : public ::testing::Test {
  protected:
    NxRef<CNxSSManager> Make(CNxSSComponentCatalog catalog = {}) {
        return MakeNx<CNxSSManager>(std::move(catalog), driver_);
    }

    TempSettings settings_;
    std::shared_ptr<FakeWaveOutDriver> driver_ = std::make_shared<FakeWaveOutDriver>();
};

TEST_F(ManagerTest, SilenceNamesOpenASilenceSource) {
    auto manager = Make();
    NxRef<CNxSSComponent> source;
    ASSERT_EQ(manager->OpenSource("::SLNC2000", source), 0u);
    EXPECT_EQ(source->GetLength(), 2000);
    EXPECT_EQ(source->Parent(), manager.get());
    EXPECT_EQ(manager->OpenSource("::SLN", source), nxss::kNoDecoder);
    EXPECT_EQ(manager->OpenSource("/music/readme.txt", source), nxss::kNoDecoder);
    EXPECT_EQ(manager->OpenSource("/music/a.mp3", source), nxss::kNoDecoder);  // no reader yet
}

// CD names reach the CD reader with drive and track; reader failures keep
// their codes, but MP3 failures mean no decoder.
TEST_F(ManagerTest, NamesReachTheirReadersAndFailuresKeepTheirCodes) {
    int drive = -1, track = -1;
    CNxSSComponentCatalog catalog;
    catalog.cd = [&](CNxSSManager& m, int d, int t) -> NxRef<CNxSSComponent> {
        drive = d;
        track = t;
        return MakeNx<CNxSSSilenceSource>(&m, 1000);
    };
    catalog.mp3 = [](CNxSSManager&, const std::string&) -> NxRef<CNxSSComponent> {
        throw CNxSSException(nxss::kFileReadFailed);
    };
    catalog.riff = [](CNxSSManager&, const std::string&) -> NxRef<CNxSSComponent> {
        throw CNxSSException(nxss::kBadRiff);
    };
    auto manager = Make(catalog);
    NxRef<CNxSSComponent> source;
    EXPECT_EQ(manager->OpenSource("D:\\Track05.cda", source), 0u);
    EXPECT_EQ(std::make_pair(drive, track), std::make_pair(3, 5));
    EXPECT_EQ(manager->OpenSource("D:\\Track00.cda", source), nxss::kNoDecoder);
    EXPECT_EQ(manager->OpenSource("a.MP3", source), nxss::kNoDecoder);
    EXPECT_EQ(manager->OpenSource("a.wav", source), nxss::kBadRiff);
    EXPECT_EQ(manager->CreateChainFor("a.wav", ""), nxss::kBadRiff);
    EXPECT_EQ(manager->Source(), nullptr);
}

TEST_F(ManagerTest, ChainsNeedANameOrAnOutput) {
    auto manager = Make();
    EXPECT_EQ(manager->CreateChain("", "", CNxSSManager::kSinkRenderer), nxss::kFail);
    EXPECT_EQ(manager->Connect(nullptr, nullptr), nxss::kFail);
    // Without a sink every pass-through answers 0.
    EXPECT_EQ(manager->CreateChainFor("::SLNC10", "out.ogg"), 0u);
    EXPECT_NE(manager->Source(), nullptr);
    EXPECT_EQ(manager->Sink(), nullptr);
    EXPECT_EQ(manager->Start(), 0u);
    EXPECT_EQ(manager->GetLength(), 0);
    EXPECT_EQ(manager->GetInterface(3, nullptr), nxss::kFail);
}

TEST_F(ManagerTest, PlaysAChainAndReplacesIt) {
    platform::MessageQueue window;
    auto manager = Make();
    ASSERT_EQ(manager->CreateChainFor("::SLNC1000", ""), 0u);
    EXPECT_EQ(manager->Sink()->Tag(), "WAVEOUT ");
    manager->Advise(&window, 0x401, 0);
    EXPECT_EQ(manager->GetLength(), 1000);
    manager->SetVolume(5000);
    manager->Start();
    EXPECT_EQ(window.take(10000)->wParam, nxss::kStarted);
    platform::WaveFormat format;
    EXPECT_EQ(manager->GetOutputFormat(format), 1u);
    EXPECT_EQ(format.samplesPerSec(), 44100u);
    EXPECT_EQ(manager->GetStatus(), CNxSSComponent::kRunning);

    ASSERT_EQ(manager->CreateChainFor("::SLNC500", ""), 0u);  // the old one stops
    EXPECT_EQ(window.take(10000)->wParam, nxss::kStopped);
    EXPECT_EQ(manager->GetLength(), 500);
    EXPECT_EQ(manager->ChildCount(), 2u);
}

// The user's values win over the machine's; values out of range give the
// built-in ones.
TEST_F(ManagerTest, RendererReadsItsBlocksFromTheSettings) {
    settings_.setDword("DoZIrodiz\\WaveOut", "Blocks", 20);
    settings_.setMachineDword("DoZIrodiz\\WaveOut", "Blocks", 3);
    settings_.setMachineDword("DoZIrodiz\\WaveOut", "BlockSize", 2);
    settings_.setMachineDword("DoZIrodiz\\WaveOut", "DeviceID", 1);
    auto config = CNxSSWaveOut::Config::FromRegistry();
    EXPECT_EQ(std::make_tuple(config.blocks, config.blockTenths, config.deviceId),
              std::make_tuple(20u, 2u, 1));

    for (const auto& [blocks, size] : {std::pair{21u, 0u}, std::pair{2u, 11u}}) {
        settings_.setDword("DoZIrodiz\\WaveOut", "Blocks", blocks);
        settings_.setDword("DoZIrodiz\\WaveOut", "BlockSize", size);
        config = CNxSSWaveOut::Config::FromRegistry();
        EXPECT_EQ(std::make_pair(config.blocks, config.blockTenths), std::make_pair(5u, 5u));
    }
}

}  // namespace

// Settings arrive from another thread while the renderer's worker fills
// blocks; the worker takes them up between blocks.
TEST(ManagerEqualizerTest, SettingsReachThePlayingRendererFromAnotherThread) {
    TempSettings settings;
    auto driver = std::make_shared<FakeWaveOutDriver>();
    platform::MessageQueue window;
    auto manager = MakeNx<CNxSSManager>(CNxSSComponentCatalog{}, driver);
    CNxSSManager::Equalizer equalizer;
    equalizer.enabled = true;
    equalizer.bandsDb[5] = 10;
    manager->SetEqualizer(equalizer);
    ASSERT_EQ(manager->CreateChainFor("::SLNC60000", ""), 0u);
    manager->Advise(&window, 0x401, 0);
    manager->Start();
    ASSERT_EQ(window.take(10000)->wParam, nxss::kStarted);
    for (int i = 0; i < 20; ++i) {
        equalizer.bandsDb[i % 10] = (i % 3) * 5 - 5;
        equalizer.extra = i % 2 ? 100 : -25;
        manager->SetEqualizer(equalizer);
        ASSERT_TRUE(driver->state->waitForWrites(int(CNxSSWaveOut::kPiecesAhead) + i));
        driver->state->playBlocks(1);
    }
    EXPECT_EQ(manager->GetEqualizer().extra, equalizer.extra);
    manager->Stop();
    EXPECT_EQ(window.take(10000)->wParam, nxss::kStopped);
}
