#include "stream/wma/CNxSSWmaReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "WaveFiles.h"
#include "WmaTestSupport.h"
#include "platform/wma/AsfGuid.h"
#include "platform/wma/AsfHeader.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"
#include "stream/wma/WmaComponents.h"
#include "support/TempSettings.h"

namespace {

using platform::wma::OutputSettings;
using wmatest::Pcm;

using wmatest::kRate;
constexpr size_t kFrames = 2 * kRate;  // 2 s
constexpr size_t kOnset = 4410;

class WmaReaderTest : public testing::Test {
  protected:
    void SetUp() override {
        wmatest::writeWma(path_, wmatest::tone(kRate, 2, kFrames, kOnset), OutputSettings{});
        reference_ = wmatest::decodeAll(path_);
    }

    NxRef<CNxSSWmaReader> Open() {
        auto reader = MakeNx<CNxSSWmaReader>(nullptr);
        reader->Open(path_.string());
        return reader;
    }

    // Reads up to `frames` frames (all when 0) in packets of 4096 frames.
    static std::vector<int16_t> ReadFrames(CNxSSWmaReader& reader, size_t frames = 0) {
        platform::WaveFormat format;
        EXPECT_TRUE(reader.GetFormat(format));
        auto packet = MakeNx<CNxSSPacket>(nullptr);
        packet->Allocate(format, 4096);
        std::vector<int16_t> samples;
        while (frames == 0 || samples.size() < frames * 2) {
            reader.Read(*packet);
            if (packet->EndOfStream()) {
                break;
            }
            const auto* s = reinterpret_cast<const int16_t*>(packet->Data());
            samples.insert(samples.end(), s, s + packet->Frames() * 2);
        }
        if (frames != 0 && samples.size() > frames * 2) {
            samples.resize(frames * 2);
        }
        return samples;
    }

    // The reference from frame `from`, `frames` long.
    std::vector<int16_t> Reference(size_t from, size_t frames) const {
        const auto begin = reference_.samples.begin() + static_cast<ptrdiff_t>(from * 2);
        return {begin, begin + static_cast<ptrdiff_t>(frames * 2)};
    }

    // A decoder that started elsewhere may differ by rounding only.
    static void ExpectSamples(const std::vector<int16_t>& got, const std::vector<int16_t>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_NEAR(got[i], want[i], 2) << "at sample " << i;
        }
    }

    const wmatest::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "tone.wma";
    Pcm reference_;
};

TEST_F(WmaReaderTest, DeliversTheDecodedStreamWhileRunning) {
    auto reader = Open();
    EXPECT_EQ(reader->Tag(), "WMAREAD ");
    platform::WaveFormat format;
    ASSERT_TRUE(reader->GetFormat(format));
    EXPECT_EQ(format, platform::WaveFormat::pcm(2, kRate, 16));
    EXPECT_NEAR(reader->GetLength(), 2000, 50);

    // Nothing is decoded before the chain runs.
    EXPECT_TRUE(ReadFrames(*reader).empty());

    reader->SetState(CNxSSComponent::kRunning);
    ExpectSamples(ReadFrames(*reader), reference_.samples);
    EXPECT_NEAR(reader->GetPosition(), reader->GetLength(), 1);
    EXPECT_TRUE(ReadFrames(*reader).empty());  // the end stays the end
    reader->SetState(CNxSSComponent::kStopped);
}

TEST_F(WmaReaderTest, SeeksWhileStoppedTakeEffectAtTheNextStart) {
    auto reader = Open();
    EXPECT_EQ(reader->SetPosition(1000), 0);
    EXPECT_EQ(reader->GetPosition(), 1000);
    reader->SetState(CNxSSComponent::kRunning);
    ExpectSamples(ReadFrames(*reader, 8192), Reference(kRate, 8192));
    reader->SetState(CNxSSComponent::kStopped);

    // A stop keeps the position; the next run goes on from there.
    const int32_t stoppedAt = reader->GetPosition();
    EXPECT_NEAR(stoppedAt, 1000 + 8192 * 1000 / kRate, 1);
    reader->SetPosition(250);
    reader->SetState(CNxSSComponent::kRunning);
    ExpectSamples(ReadFrames(*reader, 4096), Reference(kRate / 4, 4096));
}

TEST_F(WmaReaderTest, SeeksWhileRunningDropWhatWasDecodedBefore) {
    auto reader = Open();
    reader->SetState(CNxSSComponent::kRunning);
    ReadFrames(*reader, 4096);
    EXPECT_NEAR(reader->SetPosition(500), 4096 * 1000 / kRate, 1);
    ExpectSamples(ReadFrames(*reader, 4096), Reference(kRate / 2, 4096));

    // Even after the end was reached.
    ReadFrames(*reader);
    reader->SetPosition(0);
    ExpectSamples(ReadFrames(*reader, 4096), Reference(0, 4096));
    reader->SetPosition(999999);  // beyond the end: clamped, nothing more
    EXPECT_EQ(reader->GetPosition(), reader->GetLength());
    EXPECT_TRUE(ReadFrames(*reader).empty());
}

// The decoding thread blocks on a full pipe when nobody reads; stopping,
// seeking and destroying must release it.
TEST_F(WmaReaderTest, StopsAndGoesAwayWhileTheDeliveryIsBlocked) {
    auto reader = Open();
    for (int i = 0; i < 3; ++i) {
        reader->SetState(CNxSSComponent::kRunning);
        reader->SetPosition(100 * i);
        reader->SetState(CNxSSComponent::kStopped);
    }
    EXPECT_EQ(reader->GetPosition(), 200);  // the last seek holds
    reader->SetState(CNxSSComponent::kRunning);
    reader->SetState(CNxSSComponent::kPaused);  // pausing keeps the stream
    ExpectSamples(ReadFrames(*reader, 1024), Reference(kRate / 5, 1024));
    reader.reset();  // running: the destructor ends the delivery
}

// A whole file whose audio cannot be decoded as its header describes it
// fails the read with a file error, not as an empty stream.
TEST_F(WmaReaderTest, UndecodableAudioFailsTheRead) {
    wmatest::setPacketSize(path_, 100);
    auto reader = Open();
    EXPECT_NEAR(reader->GetLength(), 2000, 50);
    reader->SetState(CNxSSComponent::kRunning);
    EXPECT_EQ(wavetest::ThrownCode([&] { ReadFrames(*reader); }), nxss::kFileReadFailed);
}

class WmaRefusal : public testing::Test {
  protected:
    void SetUp() override {
        wmatest::writeWma(path_, wmatest::tone(kRate, 2, kRate / 2, 0), OutputSettings{});
    }

    static uint32_t OpenCode(const std::filesystem::path& path) {
        return wavetest::ThrownCode([&] { MakeNx<CNxSSWmaReader>(nullptr)->Open(path.string()); });
    }

    void Protect(const platform::wma::AsfGuid& object) {
        const std::vector<uint8_t> payload(32, 0x5A);
        wmatest::insertHeaderObject(path_, object, payload);
    }

    const wmatest::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "x.wma";
};

// Protected files get their own codes, through the manager too, where no
// reader is kept; the note hears the missing codec's name. Damaged and
// missing files get theirs (the layer's own tests cover the kinds of damage).
TEST_F(WmaRefusal, ProtectedDamagedAndMissingFilesGetTheirCodes) {
    TempSettings settings;
    std::vector<std::string> notes;
    CNxSSComponentCatalog catalog;
    AddWmaComponents(catalog, [&notes](const std::string& name, const std::string& text) {
        notes.push_back(name + ": " + text);
    });
    auto manager = MakeNx<CNxSSManager>(catalog);

    Protect(platform::wma::asf::kExtendedContentEncryption);
    EXPECT_EQ(OpenCode(path_), nxss::kNoLicense);
    wmatest::writeWma(path_, wmatest::tone(kRate, 2, kRate / 2, 0), OutputSettings{});
    Protect(platform::wma::asf::kContentEncryption);
    EXPECT_EQ(OpenCode(path_), nxss::kProtected);
    NxRef<CNxSSComponent> source;
    EXPECT_EQ(manager->OpenSource(path_.string(), source), nxss::kProtected);
    NxRef<CNxSSInfo> info;
    EXPECT_EQ(manager->GetInfo(path_.string(), info), nxss::kProtected);
    EXPECT_EQ(manager->CreateChainFor(path_.string(), ""), nxss::kProtected);
    EXPECT_FALSE(source);
    EXPECT_EQ(manager->ChildCount(), 0u);

    wmatest::writeWma(path_, wmatest::tone(kRate, 2, kRate / 2, 0), OutputSettings{});
    auto bytes = wmatest::readBytes(path_);
    const size_t at = wmatest::findGuid(bytes, platform::wma::asf::kStreamProperties);
    ASSERT_NE(at, std::string::npos);
    constexpr size_t kFormatTagAt = 78;  // the stream's wave format tag
    bytes[at + kFormatTagAt] = bytes[at + kFormatTagAt + 1] = 0x7E;
    wmatest::writeBytes(path_, bytes);
    notes.clear();
    EXPECT_EQ(manager->OpenSource(path_.string(), source), nxss::kNoDecoder);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find(path_.string() + ": "), std::string::npos);
    EXPECT_NE(notes[0].find("0x7E7E"), std::string::npos) << notes[0];
    EXPECT_EQ(manager->ChildCount(), 0u);
    wmatest::writeBytes(dir_ / "garbage.wma", std::vector<uint8_t>(4000, 0x5A));
    EXPECT_EQ(OpenCode(dir_ / "garbage.wma"), nxss::kNoDecoder);
    EXPECT_EQ(OpenCode(dir_ / "missing.wma"), nxss::kFileNotFound);  // no such file
}

}  // namespace
