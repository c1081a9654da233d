#include "mp3/reader/CNxSSMp3Reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ReaderTestSupport.h"
#include "mp3/Mp3FrameHeader.h"
#include "mp3/reader/Mp3ReaderComponents.h"
#include "stream/CNxSSException.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "stream/wave/WaveComponents.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using namespace mp3test;

constexpr double kFrameMs44k = 1152 * 1000.0 / 44100;
// v1_44k_joint_128's LAME tag: 24 frames, delay 576, padding 612.
constexpr size_t kJoint128Samples = 24 * 1152 - 576 - 612;

// Its reference decode without the delay and padding: 576 + 529 samples
// cut at the start, 612 - 529 at the end.
std::vector<int16_t> gaplessJoint128() {
    std::vector<int16_t> pcm = mp3test::reference16("v1_44k_joint_128");
    pcm.erase(pcm.end() - 2 * (612 - 529), pcm.end());
    pcm.erase(pcm.begin(), pcm.begin() + 2 * (576 + 529));
    return pcm;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void putChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        out.push_back(0);
    }
}

// A RIFF file of the given form: chunks, then the MP3 data, then a trailing
// chunk whose bytes must never reach the decoder.
std::vector<uint8_t> riffWithMp3(const char* form, const std::vector<uint8_t>& chunks,
                                 const std::vector<uint8_t>& mp3) {
    // Reserved first: GCC 12 at -O3 takes the growth of a 4-byte vector for
    // an out-of-bounds copy (a false -Warray-bounds).
    std::vector<uint8_t> body;
    body.reserve(4 + chunks.size());
    body.insert(body.end(), form, form + 4);
    body.insert(body.end(), chunks.begin(), chunks.end());
    putChunk(body, "data", mp3);
    putChunk(body, "LIST", std::vector<uint8_t>(300, 0xFF));
    std::vector<uint8_t> file;
    putChunk(file, "RIFF", body);
    return file;
}

// "fmt " of format tag 0x55 with the 12 bytes of MPEG Layer-3 extras.
std::vector<uint8_t> mpegLayer3Format() {
    std::vector<uint8_t> fmt = {0x55, 0, 2, 0};
    put32(fmt, 44100);
    put32(fmt, 16000);
    fmt.insert(fmt.end(), {1, 0, 0, 0, 12, 0, 1, 0, 2, 0, 0, 0, 0x1A, 0x02, 1, 0, 0x71, 0x05});
    std::vector<uint8_t> chunk;
    putChunk(chunk, "fmt ", fmt);
    return chunk;
}

class Mp3ReaderTest : public testing::Test {
  protected:
    // The fixtures' reference decodes keep every frame.
    NxRef<CNxSSMp3Reader> Open(const std::filesystem::path& path) {
        auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.raw = true});
        reader->Open(path.string());
        return reader;
    }

    static void ExpectWithinOneLsb(const std::vector<int16_t>& ours,
                                   const std::vector<int16_t>& ref) {
        ASSERT_EQ(ours.size(), ref.size());
        int worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            worst = std::max(worst, std::abs(int(ours[i]) - int(ref[i])));
        }
        EXPECT_LE(worst, 1);
    }

    static uint32_t OpenFailure(const std::filesystem::path& path) {
        try {
            MakeNx<CNxSSMp3Reader>(nullptr)->Open(path.string());
        } catch (const CNxSSException& e) {
            return e.Code();
        }
        return 0;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
};

// The header frames of Xing and VBRI files are not played: the output
// matches the reference decode sample for sample, and so does a file
// behind a large ID3v2 tag.
TEST_F(Mp3ReaderTest, DeliversExactlyTheAudioFrames) {
    for (const char* name :
         {"v1_44k_joint_128", "v1_44k_vbr_xing", "v2_22k_joint", "v1_48k_mono_crc"}) {
        SCOPED_TRACE(name);
        auto reader = Open(fixture(std::string(name) + ".mp3"));
        ExpectWithinOneLsb(asPcm16(readAll(*reader)), reference16(name));
    }
    // The reference decoder played the VBRI frame as a frame of silence.
    std::vector<int16_t> vbri = reference16("v1_44k_vbri");
    ASSERT_TRUE(std::all_of(vbri.begin(), vbri.begin() + 2304, [](int16_t s) { return s == 0; }));
    vbri.erase(vbri.begin(), vbri.begin() + 2304);
    ExpectWithinOneLsb(asPcm16(readAll(*Open(fixture("v1_44k_vbri.mp3")))), vbri);
    std::vector<uint8_t> tagged = id3v2Tag(4096);
    const auto audio = bytesOf(fixture("v1_44k_vbr_xing.mp3"));
    tagged.insert(tagged.end(), audio.begin(), audio.end());
    writeBytes(dir_ / "tagged.mp3", tagged);
    auto reader = Open(dir_ / "tagged.mp3");
    ExpectWithinOneLsb(asPcm16(readAll(*reader)), reference16("v1_44k_vbr_xing"));
}

// What a LAME tag tells is cut off, in 16-bit and float output alike; the
// 16-bit output is the reference decode less the cuts.
TEST_F(Mp3ReaderTest, LameFilesPlayTheirRealSamplesAlone) {
    struct Case {
        const char* name;
        uint32_t frames, perFrame, delay, padding, rate, channels;
    };
    for (const Case& c : {Case{"v1_44k_joint_128", 24, 1152, 576, 612, 44100, 2},
                          Case{"v1_44k_vbr_xing", 24, 1152, 576, 612, 44100, 2},
                          Case{"v1_48k_mono_crc", 26, 1152, 576, 576, 48000, 1},
                          Case{"v2_22k_joint", 25, 576, 576, 594, 22050, 2},
                          Case{"v25_8k_stereo", 11, 576, 576, 960, 8000, 2}}) {
        SCOPED_TRACE(c.name);
        const size_t real = c.frames * c.perFrame - c.delay - c.padding;
        for (const bool floating : {false, true}) {
            auto reader =
                MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.floating = floating});
            reader->Open(fixture(std::string(c.name) + ".mp3").string());
            const auto bytes = readAll(*reader);
            EXPECT_EQ(bytes.size(), real * c.channels * (floating ? 4 : 2));
            EXPECT_EQ(reader->GetLength(), static_cast<int32_t>(real * 1000 / c.rate));
            if (!floating) {
                std::vector<int16_t> expected = reference16(c.name);
                expected.erase(expected.end() - (c.padding - 529) * c.channels, expected.end());
                expected.erase(expected.begin(), expected.begin() + (c.delay + 529) * c.channels);
                ExpectWithinOneLsb(asPcm16(bytes), expected);
            }
        }
    }
}

// Position 0 is the first real sample; a seek near the end plays no padding.
TEST_F(Mp3ReaderTest, GaplessPositionsCountFromTheFirstRealSample) {
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr);
    reader->Open(fixture("v1_44k_joint_128.mp3").string());
    const std::vector<int16_t> whole = asPcm16(readAll(*reader));
    ExpectWithinOneLsb(whole, gaplessJoint128());
    EXPECT_EQ(reader->GetLength(), 600);
    EXPECT_NEAR(reader->GetPosition(), 600, 1);
    reader->SetPosition(0);
    EXPECT_EQ(asPcm16(readAll(*reader)), whole);

    // 300 ms after the first real sample lies in frame 12, played from its start.
    reader->SetPosition(300);
    const size_t skipped = 12 * 1152 - 1105;
    EXPECT_EQ(reader->GetPosition(), static_cast<int32_t>(skipped / 44.1));
    const std::vector<int16_t> rest = asPcm16(readAll(*reader));
    ASSERT_EQ(rest.size(), whole.size() - 2 * skipped);
    EXPECT_TRUE(std::equal(rest.end() - 2304, rest.end(), whole.end() - 2304));

    reader->SetPosition(reader->GetLength() - 5);
    // The last frame, less the padding's 83 samples.
    EXPECT_EQ(readAll(*reader).size(), 4u * (1152 - 83));
    EXPECT_NEAR(reader->GetPosition(), 600, 1);
}

// A LAME tag whose CRC fails is not believed: every frame is played.
TEST_F(Mp3ReaderTest, AGarbledLameTagCutsNothing) {
    auto bytes = bytesOf(fixture("v1_44k_joint_128.mp3"));
    bytes[156 + 21] ^= 0x10;  // the delay's high bits
    writeBytes(dir_ / "garbled.mp3", bytes);
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr);
    reader->Open((dir_ / "garbled.mp3").string());
    ExpectWithinOneLsb(asPcm16(readAll(*reader)), reference16("v1_44k_joint_128"));
}

TEST_F(Mp3ReaderTest, DurationsOfCbrXingAndVbri) {
    for (const char* name : {"v1_44k_joint_128", "v1_44k_vbr_xing", "v1_44k_vbri"}) {
        SCOPED_TRACE(name);
        auto reader = Open(fixture(std::string(name) + ".mp3"));
        const double played = reference16("v1_44k_joint_128").size() / 2 / 44.1;
        EXPECT_NEAR(reader->GetLength(), played, kFrameMs44k + 1);
        const Mp3InfoRecord info = reader->InfoRecord();
        EXPECT_EQ(info.version, 0u);
        EXPECT_EQ(info.layer, 3u);
        EXPECT_EQ(info.sampleRate, 44100u);
        EXPECT_NEAR(info.frameDurationMs, kFrameMs44k, 0.01);
    }
}

TEST_F(Mp3ReaderTest, CbrSeekSnapsToFrameStartAndPlaysOnFromThere) {
    auto reader = Open(fixture("v1_44k_joint_128.mp3"));
    const std::vector<int16_t> whole = asPcm16(readAll(*reader));
    const int32_t end = reader->GetPosition();
    EXPECT_NEAR(end, whole.size() / 2 / 44.1, 1);
    EXPECT_EQ(reader->SetPosition(300), end);
    const int frames = static_cast<int>(300 / kFrameMs44k);
    EXPECT_EQ(reader->GetPosition(), static_cast<int32_t>(frames * kFrameMs44k));
    const std::vector<int16_t> rest = asPcm16(readAll(*reader));
    // The first frames after the jump may lack reservoir data; the tail is exact.
    ASSERT_GT(rest.size(), 4608u);
    ASSERT_LE(rest.size(), whole.size());
    EXPECT_TRUE(std::equal(rest.end() - 2304, rest.end(), whole.end() - 2304));
    EXPECT_NEAR(rest.size() / 2.0, whole.size() / 2.0 - frames * 1152.0, 1152);

    reader->SetPosition(0);
    EXPECT_EQ(asPcm16(readAll(*reader)), whole);
}

TEST_F(Mp3ReaderTest, SeekWithXingTableAndPastTheEnd) {
    auto reader = Open(fixture("v1_44k_vbr_xing.mp3"));
    ASSERT_TRUE(reader->InfoRecord().seekable);
    const int32_t length = reader->GetLength();
    reader->SetPosition(length / 2);
    const size_t half = readAll(*reader).size() / 4;
    EXPECT_NEAR(double(half), 44.1 * length / 2, 3 * 1152);
    reader->SetPosition(length + 5000);
    EXPECT_TRUE(readAll(*reader).empty());
}

// A VBR stream without a header: the length follows the running means.
TEST_F(Mp3ReaderTest, VbrWithoutHeaderSettlesItsDuration) {
    const auto bytes = bytesOf(fixture("v1_44k_vbr_xing.mp3"));
    auto xing = Open(fixture("v1_44k_vbr_xing.mp3"));
    const int32_t truth = xing->GetLength();
    // Drop the Xing frame: the first frame's length is in its header.
    mp3::Mp3FrameHeader h;
    ASSERT_TRUE(mp3::decodeMp3Header(
        uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3],
        h));
    writeBytes(dir_ / "bare.mp3", {bytes.begin() + h.frameBytes(), bytes.end()});
    auto reader = Open(dir_ / "bare.mp3");
    ASSERT_TRUE(reader->InfoRecord().variableBitrate);
    ASSERT_FALSE(reader->InfoRecord().seekable);
    const int32_t early = reader->GetLength();
    readAll(*reader);
    const int32_t settled = reader->GetLength();
    EXPECT_NE(early, settled);
    EXPECT_NEAR(settled, truth, 2 * kFrameMs44k);
    EXPECT_GT(reader->InfoRecord().currentBitrate, 0u);
}

TEST_F(Mp3ReaderTest, SpeedOptionsComeFromSettings) {
    for (const char* name : {"Quality", "Resolution", "Downmix"}) {
        settings_.setDword(CNxSSMp3Reader::kSettingsKey, name, 1);
    }
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr);
    reader->Open(fixture("v1_44k_joint_128.mp3").string());
    platform::WaveFormat format;
    ASSERT_TRUE(reader->GetFormat(format));
    EXPECT_EQ(format.channels(), 1);
    EXPECT_EQ(format.samplesPerSec(), 22050u);
    EXPECT_EQ(format.bitsPerSample(), 8);
    // The LAME tag's real samples, at half the rate (the cuts rounded down).
    EXPECT_NEAR(double(readAll(*reader).size()), kJoint128Samples / 2.0, 1.0);
}

TEST_F(Mp3ReaderTest, StoppedReaderHoldsNoFileAndResumesWhereItWas) {
    const auto path = dir_ / "song.mp3";
    std::filesystem::copy_file(fixture("v1_44k_joint_128.mp3"), path);
    auto reader = Open(path);
    const std::vector<uint8_t> whole = readAll(*reader);
    reader->SetState(CNxSSComponent::kRunning);
    reader->SetPosition(500);
    const int32_t at = reader->GetPosition();
    reader->SetState(CNxSSComponent::kStopped);
    EXPECT_FALSE(reader->FileOpen());
    // While stopped the file may be moved away and back.
    std::filesystem::rename(path, dir_ / "moved.mp3");
    std::filesystem::rename(dir_ / "moved.mp3", path);
    reader->SetState(CNxSSComponent::kRunning);
    EXPECT_TRUE(reader->FileOpen());
    EXPECT_EQ(reader->GetPosition(), at);
    const std::vector<uint8_t> rest = readAll(*reader);
    ASSERT_GT(rest.size(), 0u);
    EXPECT_TRUE(std::equal(rest.end() - 4608, rest.end(), whole.end() - 4608));
}

TEST_F(Mp3ReaderTest, FilesWithoutLayer3AudioFailToOpen) {
    writeBytes(dir_ / "empty.mp3", {});
    std::vector<uint8_t> junk(20000);
    for (size_t i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<uint8_t>(i * 37 % 251);
    }
    writeBytes(dir_ / "junk.mp3", junk);
    std::vector<uint8_t> tagOnly(128, 0);
    std::memcpy(tagOnly.data(), "TAG", 3);
    writeBytes(dir_ / "tag.mp3", tagOnly);
    for (const auto& path :
         {dir_ / "empty.mp3", dir_ / "junk.mp3", dir_ / "tag.mp3", fixture("layer2.mp2")}) {
        SCOPED_TRACE(path.string());
        EXPECT_EQ(OpenFailure(path), nxss::kFail);
    }
    EXPECT_EQ(OpenFailure(dir_ / "missing.mp3"), nxss::errnoError(ENOENT));
}

TEST_F(Mp3ReaderTest, TruncatedFileDeliversWhatItHolds) {
    auto bytes = bytesOf(fixture("v1_44k_joint_128.mp3"));
    bytes.resize(bytes.size() / 2 + 101);
    writeBytes(dir_ / "cut.mp3", bytes);
    auto reader = Open(dir_ / "cut.mp3");
    const size_t got = readAll(*reader).size();
    const size_t whole = reference16("v1_44k_joint_128").size() * 2;
    EXPECT_GT(got, whole / 3);
    EXPECT_LT(got, whole * 2 / 3);
}

// MP3 data in a RIFF file plays from the data chunk alone, and the tag
// of a file that is not an MP3 file is left alone.
TEST_F(Mp3ReaderTest, RiffFilesHoldingMp3PlayTheirDataChunk) {
    CNxSSComponentCatalog catalog;
    AddWaveComponents(catalog, Mp3FromRiffMaker());
    NxRef<CNxSSManager> manager = MakeNx<CNxSSManager>(catalog);
    const auto mp3 = bytesOf(fixture("v1_44k_joint_128.mp3"));
    writeBytes(dir_ / "song.rmp", riffWithMp3("RMP3", {}, mp3));
    writeBytes(dir_ / "song.wav", riffWithMp3("WAVE", mpegLayer3Format(), mp3));
    for (const char* name : {"song.rmp", "song.wav"}) {
        SCOPED_TRACE(name);
        const auto path = dir_ / name;
        const auto before = bytesOf(path);
        NxRef<CNxSSComponent> source = catalog.riff(*manager, path.string());
        auto* reader = dynamic_cast<CNxSSMp3Reader*>(source.get());
        ASSERT_NE(reader, nullptr);
        ExpectWithinOneLsb(asPcm16(readAll(*reader)), gaplessJoint128());
        EXPECT_EQ(reader->WriteTag(Id3v1Block()), nxss::kUndefined);
        EXPECT_EQ(bytesOf(path), before);
        source->SetParent(nullptr);
    }
}

}  // namespace
