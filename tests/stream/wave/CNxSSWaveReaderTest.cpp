#include "stream/wave/CNxSSWaveReader.h"

#include <gtest/gtest.h>

#include "WaveFiles.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"
#include "stream/wave/WaveComponents.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using namespace wavetest;
using platform::WaveFormat;

using wavetest::kCd;
constexpr uint32_t kCdBytesPerSecond = 176400;

uint32_t FrameIndexAt(const std::vector<uint8_t>& pcm, size_t frame) {
    const uint8_t* p = pcm.data() + frame * 4;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

class WaveReaderTest : public ::testing::Test {
  protected:
    // A reader on an image, or the code its opening failed with.
    uint32_t Open(const std::string& image) {
        writeText(dir_ / "in.wav", image);
        auto file = MakeNx<CNxSSRiffFile>(nullptr, (dir_ / "in.wav").string());
        reader_ = MakeNx<CNxSSWaveReader>(nullptr);
        return ThrownCode([&] {
            file->Open(CNxSSRiffFile::kRead);
            reader_->Open(file);
        });
    }

    // The first frame index of the next packet.
    uint32_t NextFrameIndex() {
        auto packet = MakeNx<CNxSSPacket>(nullptr);
        packet->Allocate(kCd, 16);
        reader_->Read(*packet);
        EXPECT_FALSE(packet->EndOfStream());
        return FrameIndexAt(std::vector<uint8_t>(packet->Data(), packet->Data() + 4), 0);
    }

    testsupport::TempDir dir_;
    NxRef<CNxSSWaveReader> reader_;
};

TEST_F(WaveReaderTest, PcmComesOutAsItIsStored) {
    const std::string pcm = CountingPcm(10000);
    ASSERT_EQ(Open(WaveImage(kCd, pcm)), 0u);
    WaveFormat format;
    ASSERT_TRUE(reader_->GetFormat(format));
    EXPECT_EQ(format, kCd);
    const auto all = ReadAll(*reader_, 3000);
    EXPECT_EQ(std::string(all.begin(), all.end()), pcm);
    EXPECT_EQ(reader_->GetPosition(), 226);  // 10000 frames, truncated
    EXPECT_TRUE(ReadAll(*reader_).empty());  // the end stays the end
}

TEST_F(WaveReaderTest, SeeksInWholeSeconds) {
    ASSERT_EQ(Open(WaveImage(kCd, CountingPcm(62 * 44100))), 0u);
    EXPECT_EQ(reader_->GetLength(), 62000);
    EXPECT_EQ(reader_->SetPosition(61500), 0);
    EXPECT_EQ(reader_->GetPosition(), 61000);
    EXPECT_EQ(NextFrameIndex(), 61u * kCdBytesPerSecond / 4);

    EXPECT_EQ(reader_->SetPosition(-20), 61000);
    EXPECT_EQ(reader_->GetPosition(), 0);
    EXPECT_EQ(NextFrameIndex(), 0u);

    reader_->SetPosition(100000);  // past the end: the end
    EXPECT_EQ(reader_->GetPosition(), 62000);
    EXPECT_TRUE(ReadAll(*reader_).empty());
}

TEST_F(WaveReaderTest, SeeksInCompressedFilesLandOnBlocks) {
    // IMA ADPCM mono, 256-byte blocks of 505 frames.
    WaveFormat ima;
    ima.setTag(0x11);
    ima.setChannels(1);
    ima.setSamplesPerSec(22050);
    ima.setAvgBytesPerSec(11155);
    ima.setBlockAlign(256);
    ima.setBitsPerSample(4);
    ima.setExtra(std::vector<uint8_t>{0xF9, 0x01});
    ASSERT_EQ(Open(WaveImage(ima, std::string(256 * 100, '\0'))), 0u);
    reader_->SetPosition(1000);
    // 11155 bytes is 43 whole blocks.
    EXPECT_EQ(reader_->GetPosition(), static_cast<int32_t>(43 * 256 * 1000.0 / 11155));
    EXPECT_EQ(ReadAll(*reader_).size(), (100 - 43) * 505 * 2u);
}

TEST_F(WaveReaderTest, FormatsThatCannotPlayAreRefused) {
    WaveFormat noAlign = kCd;
    noAlign.setBlockAlign(0);
    EXPECT_EQ(Open(WaveImage(noAlign, "abcd")), nxss::kBadRiff);
    WaveFormat noRate = kCd;
    noRate.setAvgBytesPerSec(0);
    EXPECT_EQ(Open(WaveImage(noRate, "abcd")), nxss::kBadRiff);
    WaveFormat unknown = kCd;
    unknown.setTag(0x1234);
    EXPECT_EQ(Open(WaveImage(unknown, "abcd")), nxss::kNoPlaybackCodec);
    EXPECT_EQ(
        Open(Form("WAVE", Chunk("fmt ", FormatBody(kCd).substr(0, 14)) + Chunk("data", "abcd"))),
        nxss::kNoPlaybackCodec);
}

TEST_F(WaveReaderTest, InformationNamesTheFormat) {
    const std::string body = Chunk("LIST", "INFO" + Chunk("INAM", "Morning")) +
                             Chunk("fmt ", FormatBody(kCd)) + Chunk("data", CountingPcm(44100 * 3));
    ASSERT_EQ(Open(Form("WAVE", body)), 0u);
    NxRef<CNxSSInfo> info;
    ASSERT_EQ(reader_->GetInfo(info), 0u);
    EXPECT_EQ(info->GetKind(), CNxSSInfo::kRiff);
    EXPECT_EQ(info->GetTitle(), "Morning");
    EXPECT_EQ(std::make_tuple(info->GetSampleRate(), info->GetChannels(), info->GetBitrate()),
              std::make_tuple(44100, 2, 1411200));
    EXPECT_EQ(info->InformationText(), "サイズ\t" + std::to_string(12 + body.size()) +
                                           " bytes\r\n時間\t00:03\r\n"
                                           "フォーマット\tPCM\r\n\t44.100 kHz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ\r\n");
    reader_.reset();  // the information outlives the chain
    EXPECT_EQ(info->GetDuration(), 3000);
}

class WaveCatalogTest : public ::testing::Test {
  protected:
    NxRef<CNxSSManager> Manager(CNxSSComponentCatalog::SourceMaker mp3 = {}) {
        CNxSSComponentCatalog catalog;
        AddWaveComponents(catalog, std::move(mp3));
        return MakeNx<CNxSSManager>(std::move(catalog));
    }
    std::string Path(const std::string& name, const std::string& image) {
        writeText(dir_ / name, image);
        return (dir_ / name).string();
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
};

TEST_F(WaveCatalogTest, WaveAndRmpNamesOpenTheWaveReader) {
    auto manager = Manager();
    NxRef<CNxSSComponent> source;
    ASSERT_EQ(manager->OpenSource(Path("a.WAV", WaveImage(kCd, "abcd")), source), 0u);
    EXPECT_EQ(source->Tag(), "WAVEREAD");
    EXPECT_EQ(source->Parent(), manager.get());
    ASSERT_EQ(manager->OpenSource(Path("b.rmp", WaveImage(kCd, "abcd")), source), 0u);
    EXPECT_EQ(source->Tag(), "WAVEREAD");
    EXPECT_EQ(manager->OpenSource((dir_ / "none.wav").string(), source), nxss::kFileNotFound);
    EXPECT_EQ(
        manager->OpenSource(Path("c.wav", Form("WAVE", Chunk("fmt ", FormatBody(kCd)))), source),
        nxss::kBadRiff);

    NxRef<CNxSSInfo> info;
    ASSERT_EQ(manager->GetInfo(Path("d.wav", WaveImage(kCd, CountingPcm(44100))), info), 0u);
    EXPECT_EQ(info->GetFormatName(), "PCM");
    EXPECT_EQ(info->GetDuration(), 1000);
}

TEST_F(WaveCatalogTest, Mp3InsideRiffGoesToTheMp3Reader) {
    WaveFormat layer3 = kCd;
    layer3.setTag(0x55);
    layer3.setExtra(std::vector<uint8_t>(12, 0));
    const std::string rmp3 = Path("a.rmp", Form("RMP3", Chunk("data", "mp3!")));
    const std::string wave55 = Path("b.wav", WaveImage(layer3, "mp3!"));

    NxRef<CNxSSComponent> source;
    EXPECT_EQ(Manager()->OpenSource(rmp3, source), nxss::kNoDecoder);
    EXPECT_EQ(Manager()->OpenSource(wave55, source), nxss::kNoDecoder);

    std::vector<std::string> asked;
    auto manager = Manager([&](CNxSSManager& m, const std::string& name) {
        asked.push_back(name);
        return NxRef<CNxSSComponent>(MakeNx<CNxSSWaveReader>(&m));
    });
    EXPECT_EQ(manager->OpenSource(rmp3, source), 0u);
    EXPECT_EQ(manager->OpenSource(wave55, source), 0u);
    EXPECT_EQ(asked, (std::vector<std::string>{rmp3, wave55}));
}

}  // namespace
