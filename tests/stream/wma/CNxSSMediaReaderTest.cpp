#include "stream/wma/CNxSSMediaReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "WaveFiles.h"
#include "stream/CNxSSInfo.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "stream/wma/WmaComponents.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = 2 * kRate;  // 2 s

// The files other programs make, from one source: lossless ones carry the
// counting PCM (every frame its own index), lossy ones a 1 kHz tone.
class MediaReaderTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new testsupport::TempDir;
        wavetest::writeText(*dir_ / "counting.wav",
                            wavetest::WaveImage(wavetest::kCd, wavetest::CountingPcm(kFrames)));
        const std::string tags =
            " -metadata title='Long title of the first song' -metadata artist=Band"
            " -metadata album=Album -metadata date=2004 -metadata track=7 -metadata genre=Jazz";
        make("counting.wav", "-c:a flac" + tags, "counting.flac");
        make("counting.wav", "-c:a alac", "counting.m4a");
        make("-f lavfi -i sine=frequency=1000:sample_rate=44100:duration=2 -ac 2", "", "tone.wav");
        make("tone.wav", "-c:a libvorbis -q:a 5" + tags, "tone.ogg");
        make("tone.wav", "-c:a libopus -b:a 128k", "tone.opus");
        make("tone.wav", "-c:a aac -b:a 160k" + tags, "tone.m4a");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    static void make(const std::string& input, const std::string& options,
                     const std::string& output) {
        const std::string in =
            input.find(' ') == std::string::npos ? "-i '" + (*dir_ / input).string() + "'" : input;
        const auto run = testsupport::shell("ffmpeg -nostdin -v error -y " + in + " " + options +
                                            " '" + (*dir_ / output).string() + "' 2>&1");
        ASSERT_EQ(run.exitCode, 0) << run.out;
    }

    static fs::path file(const std::string& name) { return *dir_ / name; }

    NxRef<CNxSSComponent> Open(const fs::path& path, uint32_t* code = nullptr) {
        NxRef<CNxSSComponent> source;
        const uint32_t rc = manager_->OpenSource(path.string(), source);
        if (code != nullptr) {
            *code = rc;
        }
        return source;
    }

    // Runs the source from where it stands to its end.
    static std::vector<int16_t> Samples(CNxSSComponent& source) {
        source.SetState(CNxSSComponent::kRunning);
        const std::vector<uint8_t> bytes = wavetest::ReadAll(source);
        source.SetState(CNxSSComponent::kStopped);
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    // Frame `i` of the counting PCM is its index, low half left.
    static void ExpectCounting(const std::vector<int16_t>& samples, uint32_t first) {
        for (size_t f = 0; f < samples.size() / 2; ++f) {
            const auto want = static_cast<uint32_t>(first + f);
            ASSERT_EQ(static_cast<uint16_t>(samples[2 * f]), want & 0xFFFF) << "frame " << f;
            ASSERT_EQ(static_cast<uint16_t>(samples[2 * f + 1]), want >> 16) << "frame " << f;
        }
    }

    static double Rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to; ++i) {
            sum += double(samples[i]) * samples[i];
        }
        return std::sqrt(sum / double(to - from));
    }

    static inline testsupport::TempDir* dir_ = nullptr;
    std::vector<std::string> notes_;
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>([this] {
        CNxSSComponentCatalog catalog;
        AddWmaComponents(catalog,
                         [this](const std::string&, const std::string& t) { notes_.push_back(t); });
        return catalog;
    }());
};

TEST_F(MediaReaderTest, LosslessFilesPlayEveryFrameExactlyAndSeekToTheFrame) {
    for (const char* name : {"counting.flac", "counting.m4a"}) {
        SCOPED_TRACE(name);
        auto source = Open(file(name));
        ASSERT_TRUE(source);
        platform::WaveFormat format;
        ASSERT_TRUE(source->GetFormat(format));
        EXPECT_EQ(format, wavetest::kCd);
        EXPECT_NEAR(source->GetLength(), 2000, 1);
        const auto all = Samples(*source);
        EXPECT_EQ(all.size(), size_t{kFrames} * 2);
        ExpectCounting(all, 0);

        source->SetPosition(1500);
        const auto rest = Samples(*source);
        EXPECT_EQ(rest.size(), size_t{kFrames - kRate * 3 / 2} * 2);
        ExpectCounting(rest, kRate * 3 / 2);
    }
}

TEST_F(MediaReaderTest, LossyFilesPlayTheToneAtItsLevelForItsLength) {
    // The sine source peaks at 1/8 of full scale, each channel of its stereo
    // copy 3 dB lower, and a sine's RMS is 3 dB below its peak.
    const double toneRms = 32768.0 / 8 / 2;
    for (const char* name : {"tone.ogg", "tone.opus", "tone.m4a"}) {
        SCOPED_TRACE(name);
        auto source = Open(file(name));
        ASSERT_TRUE(source);
        platform::WaveFormat format;
        ASSERT_TRUE(source->GetFormat(format));
        EXPECT_EQ(format.channels(), 2);
        const uint32_t rate = format.samplesPerSec();  // Opus decodes at 48 kHz
        EXPECT_NEAR(source->GetLength(), 2000, 30);
        const auto all = Samples(*source);
        EXPECT_NEAR(double(all.size()) / 2 / rate, 2.0, 0.03);
        EXPECT_NEAR(Rms(all, all.size() / 4, all.size() * 3 / 4), toneRms, toneRms * 0.06);

        source->SetPosition(1000);
        const auto rest = Samples(*source);
        EXPECT_NEAR(double(rest.size()) / 2 / rate, 1.0, 0.03);
    }
}

// FFmpeg drops the AAC encoder's priming (the edit list's start); the
// padding past the stream's length is not played either: 2 s of tone are
// exactly its frames, in phase with the source.
TEST_F(MediaReaderTest, AacInMp4PlaysExactlyItsOwnSamples) {
    auto source = Open(file("tone.m4a"));
    ASSERT_TRUE(source);
    const auto all = Samples(*source);
    ASSERT_EQ(all.size(), size_t{kFrames} * 2);
    const double amplitude = Rms(all, all.size() / 4, all.size() * 3 / 4) * std::sqrt(2.0);
    double worst = 0;
    for (size_t f = kRate / 2; f < kRate * 3 / 2; ++f) {
        const double want = amplitude * std::sin(2 * M_PI * 1000.0 * double(f) / kRate);
        worst = std::max(worst, std::abs(all[2 * f] - want));
    }
    EXPECT_LT(worst, amplitude * 0.05);
}

TEST_F(MediaReaderTest, TagsAreShownWholeAndAnEditRewritesOnlyTheTag) {
    const fs::path path = *dir_ / "edited.flac";
    fs::copy_file(file("counting.flac"), path, fs::copy_options::overwrite_existing);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    NxRef<CNxSSInfo> info;
    ASSERT_EQ(manager_->GetInfo(path.string(), info), 0u);
    EXPECT_EQ(info->GetKind(), CNxSSInfo::kMedia);
    EXPECT_EQ(info->GetTitle(), "Long title of the first song");
    EXPECT_EQ(info->GetArtist(), "Band");
    EXPECT_EQ(info->GetAlbum(), "Album");
    EXPECT_EQ(info->GetYear(), 2004);
    EXPECT_EQ(info->GetTrack(), 7);
    EXPECT_EQ(info->GetGenre(), 8);  // Jazz
    EXPECT_EQ(info->GetSampleRate(), 44100);
    const std::string text = info->InformationText();
    EXPECT_NE(text.find("FLAC"), std::string::npos) << text;
    EXPECT_NE(text.find("44100Hz"), std::string::npos) << text;

    const auto before = dir_->names();
    info->SetTitle("新しいタイトル");
    info->SetComment("a comment", 9);
    EXPECT_EQ(info->WriteTag(), 0u);
    info = {};
    ASSERT_EQ(manager_->GetInfo(path.string(), info), 0u);
    EXPECT_EQ(info->GetTitle(), "新しいタイトル");
    EXPECT_EQ(info->GetTrack(), 9);
    EXPECT_EQ(info->GetComment(), "a comment");
    EXPECT_EQ(info->GetArtist(), "Band");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir_->names(), before);  // no copy left behind
    auto source = Open(path);
    ASSERT_TRUE(source);
    ExpectCounting(Samples(*source), 0);
}

TEST_F(MediaReaderTest, FilesAreKnownByTheirContentsWhenTheirNameSaysNothing) {
    const testsupport::TempDir dir;
    fs::copy_file(file("tone.opus"), dir / "download.bin");
    fs::copy_file(file("counting.flac"), dir / "noextension");
    EXPECT_TRUE(Open(dir / "download.bin"));
    EXPECT_TRUE(Open(dir / "noextension"));

    wavetest::writeText(dir / "notes.txt", "some text that is no music at all");
    wavetest::writeText(dir / "fake.flac", "some text that is no music at all");
    wavetest::writeText(dir / "empty.ogg", "");
    uint32_t code = 0;
    EXPECT_FALSE(Open(dir / "notes.txt", &code));
    EXPECT_EQ(code, nxss::kNoDecoder);
    EXPECT_FALSE(Open(dir / "fake.flac", &code));
    EXPECT_EQ(code, nxss::kNoDecoder);
    EXPECT_FALSE(Open(dir / "empty.ogg", &code));
    EXPECT_NE(code, 0u);
    EXPECT_FALSE(Open(dir / "missing.m4a", &code));
    EXPECT_EQ(code, nxss::kFileNotFound);
    EXPECT_EQ(manager_->ChildCount(), 2u);  // the two that opened
}

// A file cut short plays what is there and ends, or is refused when the
// libraries cannot open it (Ogg wants its last page); it never hangs.
TEST_F(MediaReaderTest, ATruncatedFilePlaysWhatItHasOrIsRefused) {
    const testsupport::TempDir dir;
    for (const char* name : {"counting.flac", "counting.m4a", "tone.ogg"}) {
        SCOPED_TRACE(name);
        const std::string bytes = testsupport::readText(file(name));
        const fs::path cut = dir / name;
        wavetest::writeText(cut, bytes.substr(0, bytes.size() / 2));
        uint32_t code = 0;
        auto source = Open(cut, &code);
        if (!source) {
            EXPECT_EQ(code, nxss::kNoDecoder);
            continue;
        }
        std::vector<int16_t> samples;
        try {
            samples = Samples(*source);
        } catch (const CNxSSException& e) {
            EXPECT_EQ(e.Code(), nxss::kFileReadFailed);
        }
        EXPECT_LT(samples.size(), size_t{kFrames} * 2);
    }
}

}  // namespace
