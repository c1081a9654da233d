#include "stream/wave/CNxSSWaveWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "TestWave.h"
#include "WaveFiles.h"
#include "platform/MessageQueue.h"
#include "platform/acm/CodecRegistry.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "stream/wave/CNxSSWaveOptionPage.h"
#include "stream/wave/CNxSSWaveReader.h"
#include "stream/wave/WaveComponents.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using namespace wavetest;
using platform::WaveFormat;

using wavetest::kCd;
constexpr uint32_t kSourceFrames = 66150;  // 1.5 s

// CD-format audio that never ends, or fails after some reads.
class EndlessSource : public CNxSSComponent {
  public:
    explicit EndlessSource(int failAfter = -1) : CNxSSComponent(nullptr), failAfter_(failAfter) {}
    bool GetFormat(WaveFormat& format) override {
        format = kCd;
        return true;
    }
    void Read(CNxSSPacket& packet) override {
        if (failAfter_ >= 0 && reads_++ >= failAfter_) {
            throw CNxSSException(nxss::kFileReadFailed);
        }
        std::memset(packet.Data(), 0x11, size_t{packet.Capacity()} * 4);
        packet.SetFrames(packet.Capacity());
    }

  private:
    const int failAfter_;
    int reads_ = 0;
};

class WaveWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto sweep = acmtest::toBytes(acmtest::sweep(44100, 2, 1.5, 0.7));
        source_ = (dir_ / "in.wav").string();
        writeText(source_, WaveImage(kCd, std::string(sweep.begin(), sweep.end())));
    }

    // Converts `input` into `output` with `target`; the final code.
    uint32_t Convert(const std::string& input, const WaveFormat& target,
                     const std::string& output) {
        platform::MessageQueue window;  // outlives the writer's thread
        CNxSSComponentCatalog catalog;
        AddWaveComponents(catalog);
        auto manager = MakeNx<CNxSSManager>(std::move(catalog));
        if (const uint32_t rc = manager->CreateChainFor(input, output)) {
            return rc;
        }
        auto page = Interface<CNxSSOptionPage>(*manager, 3);
        static_cast<CNxSSWaveWriterSettings&>(page->Settings()).SetTarget(target);
        return RunToEnd(*manager, window);
    }

    // What our reader decodes from a file.
    static std::vector<uint8_t> Decode(const std::string& path, WaveFormat* format = nullptr) {
        auto file = MakeNx<CNxSSRiffFile>(nullptr, path);
        file->Open(CNxSSRiffFile::kRead);
        auto reader = MakeNx<CNxSSWaveReader>(nullptr);
        reader->Open(file);
        if (format) {
            reader->GetFormat(*format);
        }
        return ReadAll(*reader);
    }

    // A writer fed by `source` directly, reporting to window_.
    NxRef<CNxSSWaveWriter> DirectWriter(CNxSSComponent& source, const std::string& output) {
        auto writer = MakeNx<CNxSSWaveWriter>(nullptr, output);
        writer->SetOutputFile(MakeNx<CNxSSRiffFile>(nullptr, output));
        source.CreateOutputPin()->Connect(writer->CreateInputPin().get());
        writer->Advise(&window_, 0x401, 0);
        return writer;
    }
    uint32_t Next() { return static_cast<uint32_t>(window_.take(60000).value().wParam); }

    TempSettings settings_;
    testsupport::TempDir dir_;
    std::string source_;
    platform::MessageQueue window_;
};

// Every format the option page offers with codecs enabled, written from a
// CD-format sweep and read back by our reader and, bit for bit, by sox.
TEST_F(WaveWriterTest, EveryOfferedFormatIsWrittenAndReadBack) {
    settings_.setDword("DoZIrodiz\\WaveWriter", "EnableCodec", 1);
    const bool sox = acmtest::haveTool("sox");
    auto page = MakeNx<CNxSSWaveOptionPage>(nullptr, NxRef(new CNxSSWaveWriterSettings()));
    int written = 0;
    for (const auto& tag : page->FormatTags()) {
        for (const auto& entry : CNxSSWaveOptionPage::Formats(tag.tag)) {
            SCOPED_TRACE(tag.name + " " + entry.text);
            const std::string out = (dir_ / "out.wav").string();
            ASSERT_EQ(Convert(source_, entry.format, out), nxss::kFinished);
            const auto stored = acmtest::readWave(out);
            EXPECT_EQ(stored.format, entry.format);
            const auto expected = static_cast<uint32_t>(
                std::lround(kSourceFrames * double(entry.format.samplesPerSec()) / 44100));
            if (tag.tag == platform::kWaveFormatPcm) {
                EXPECT_FALSE(stored.factFrames.has_value());
            } else {
                EXPECT_EQ(stored.factFrames, expected);
            }
            WaveFormat pcm;
            const auto ours = Decode(out, &pcm);
            const size_t frames = ours.size() / pcm.blockAlign();
            EXPECT_GE(frames, expected);
            EXPECT_LT(frames, expected + 4096u);  // at most the padding of the last block
            if (sox && tag.tag != platform::kWaveFormatIeeeFloat) {
                const auto raw = dir_ / "sox.raw";
                ASSERT_TRUE(acmtest::run("sox '" + out + "' -D -t raw -e " +
                                         (pcm.bitsPerSample() == 8 ? "unsigned" : "signed") +
                                         " -b " + std::to_string(pcm.bitsPerSample()) + " '" +
                                         raw.string() + "'"));
                const std::string theirs = readText(raw);
                ASSERT_LE(theirs.size(), ours.size());
                EXPECT_TRUE(std::memcmp(theirs.data(), ours.data(), theirs.size()) == 0);
                EXPECT_GE(theirs.size() / pcm.blockAlign(), expected);
            }
            ++written;
        }
    }
    EXPECT_GE(written, 24 + 4 * 10);
}

TEST_F(WaveWriterTest, PcmIsBitExactAtEveryDepthAndChannelCount) {
    std::mt19937 random(7);
    const std::vector<WaveFormat> formats = {
        WaveFormat::pcm(1, 44100, 8),  WaveFormat::pcm(2, 44100, 8),  WaveFormat::pcm(1, 22050, 16),
        WaveFormat::pcm(2, 48000, 16), WaveFormat::pcm(1, 44100, 24), WaveFormat::pcm(2, 96000, 24),
        WaveFormat::pcm(1, 32000, 32), WaveFormat::pcm(2, 44100, 32)};
    for (const auto& format : formats) {
        SCOPED_TRACE(format.bitsPerSample() * 100 + format.channels());
        std::string data(size_t{format.blockAlign()} * 30011, '\0');
        for (char& c : data) {
            c = static_cast<char>(random());
        }
        const std::string in = (dir_ / "pcm.wav").string(), out = (dir_ / "copy.wav").string();
        writeText(in, WaveImage(format, data));
        ASSERT_EQ(Convert(in, format, out), nxss::kFinished);
        const auto stored = acmtest::readWave(out);
        EXPECT_EQ(stored.format, format);
        EXPECT_TRUE(std::string(stored.data.begin(), stored.data.end()) == data);
        const auto decoded = Decode(out);
        EXPECT_TRUE(std::string(decoded.begin(), decoded.end()) == data);
        if (acmtest::haveTool("sox")) {
            ASSERT_TRUE(acmtest::run("sox '" + out + "' -D -t raw '" + in + ".raw'"));
            EXPECT_TRUE(readText(in + ".raw") == data);
        }
    }
}

TEST_F(WaveWriterTest, ACodecThatCannotWriteLeavesTheTargetAlone) {
    const std::string out = (dir_ / "out.wav").string();
    writeText(out, "previous file");
    WaveFormat unknown = kCd;
    unknown.setTag(0x1234);
    EXPECT_EQ(Convert(source_, unknown, out), nxss::kNoEncodeCodec);
    EXPECT_EQ(readText(out), "previous file");
    EXPECT_EQ(dir_.names(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST_F(WaveWriterTest, StoppedOrFailedJobsLeaveTheTargetAlone) {
    const std::string out = (dir_ / "out.wav").string();
    writeText(out, "previous file");
    {
        auto source = MakeNx<EndlessSource>();
        auto writer = DirectWriter(*source, out);
        writer->Start();
        EXPECT_EQ(Next(), nxss::kStarted);
        writer->PostCommand(CNxSSActiveComponent::kCmdStop, 0, 0, true);
        EXPECT_EQ(window_.size(), 0u);  // writers stop silently
        writer->Shutdown();
    }
    EXPECT_EQ(readText(out), "previous file");
    {
        auto source = MakeNx<EndlessSource>(3);
        auto writer = DirectWriter(*source, out);
        writer->Start();
        EXPECT_EQ(Next(), nxss::kStarted);
        EXPECT_EQ(Next(), nxss::kFileReadFailed);
        EXPECT_EQ(writer->GetState(), CNxSSComponent::kStopped);
        writer->Shutdown();
    }
    EXPECT_EQ(readText(out), "previous file");
    EXPECT_EQ(dir_.names(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST_F(WaveWriterTest, OutputInAMissingFolderIsReported) {
    auto source = MakeNx<EndlessSource>();
    auto writer = DirectWriter(*source, (dir_ / "missing" / "out.wav").string());
    writer->Start();
    EXPECT_EQ(Next(), nxss::errnoError(ENOENT));
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"in.wav"});
    writer->Shutdown();
}

TEST_F(WaveWriterTest, AWriterTakesOneFileAndCannotSeekOrResume) {
    auto source = MakeNx<EndlessSource>();
    auto writer = DirectWriter(*source, (dir_ / "out.wav").string());
    EXPECT_THROW(writer->SetOutputFile(MakeNx<CNxSSRiffFile>(nullptr, "x.wav")), CNxSSException);
    EXPECT_EQ(writer->SeekAndWait(1000), nxss::kFail);
    writer->PostCommand(CNxSSActiveComponent::kCmdPause, 0, 0, true);  // nothing to resume
    EXPECT_EQ(writer->GetState(), CNxSSComponent::kStopped);
    EXPECT_EQ(window_.size(), 0u);
    void* out = nullptr;
    EXPECT_EQ(writer->GetInterface(5, &out), nxss::kNoInterface);
    EXPECT_EQ(Interface<CNxSSOptionPage>(*writer, 7)->SourceFormat(), kCd);
    writer->Shutdown();
}

}  // namespace
