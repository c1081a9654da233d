#include "mp3/writer/CNxSSMp3Writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>

#include "WriterTestSupport.h"
#include "mp3/Mp3VbrHeaders.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "mp3/reader/Mp3ReaderComponents.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using mp3::enc::Mp3WriterSettings;
using namespace writertest;

class Mp3WriterTest : public testing::Test {
  protected:
    static CNxSSComponentCatalog Catalog() {
        CNxSSComponentCatalog catalog;
        AddMp3WriterComponents(catalog);
        AddMp3ReaderComponents(catalog);
        return catalog;
    }

    // A chain from a source of `pcm` into an MP3 writer with `settings`.
    PcmSource& Chain(Pcm pcm, const Mp3WriterSettings& settings, int failAfter = -1) {
        source_ = MakeNx<PcmSource>(std::move(pcm), failAfter);
        EXPECT_EQ(manager_->CreateChain("", target_.string(), CNxSSManager::kSinkMp3), 0u);
        EXPECT_EQ(manager_->Connect(source_.get(), manager_->Sink()), 0u);
        Settings().SetValues(settings);
        manager_->Advise(&window_, 0x401, 0);
        return *source_;
    }
    CNxSSMp3Writer& Writer() { return static_cast<CNxSSMp3Writer&>(*manager_->Sink()); }
    CNxSSMp3WriterSettings& Settings() {
        void* page = nullptr;
        EXPECT_EQ(manager_->GetInterface(CNxSSMp3Writer::kPageInterface, &page), 0u);
        const auto ref = NxRef<CNxSSMp3OptionPage>::adopt(static_cast<CNxSSMp3OptionPage*>(page));
        return ref->Mp3Settings();  // the writer keeps the page alive
    }
    uint32_t Next() { return static_cast<uint32_t>(window_.take(120000).value().wParam); }
    // Started, then the final code.
    uint32_t Convert() {
        manager_->Start();
        const uint32_t first = Next();
        return first == nxss::kStarted ? Next() : first;
    }

    TempSettings settings_;
    platform::MessageQueue window_;  // outlives the writer's thread
    testsupport::TempDir dir_;
    const std::filesystem::path target_ = dir_ / "out.mp3";
    NxRef<PcmSource> source_;
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>(Catalog());
};

Mp3WriterSettings Cbr(int rate, int channels, int bitrate) {
    Mp3WriterSettings s;
    s.sampleRate = rate;
    s.channels = channels;
    s.bitrate = bitrate;
    return s;
}

Mp3WriterSettings Vbr(int quality) {
    Mp3WriterSettings s;
    s.vbrMode = 1;
    s.vbrQuality = quality;
    return s;
}

// Padding keeps the mean frame at bitrate x samples / 8 / rate bytes: after
// every frame the total stays within one byte of the exact figure.
TEST_F(Mp3WriterTest, CbrFramesFollowThePaddingRuleAndCarryTheFlags) {
    struct Case {
        Mp3WriterSettings settings;
        double samplesPerFrame;
    };
    Mp3WriterSettings mono = Cbr(22050, 1, 32000);
    mono.originalBit = 1;
    Mp3WriterSettings stereo = Cbr(44100, 2, 128000);
    stereo.copyrightBit = 1;
    for (const Case& c : {Case{stereo, 1152}, Case{mono, 576}}) {
        const auto& s = c.settings;
        Chain(Tone(44100, 2, 3.0), s);
        ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();
        const auto file = ReadBytes(target_);
        const auto frames = Frames(file);
        ASSERT_EQ(EndOf(frames), file.size()) << "junk after the frames";
        const double exact = s.bitrate / 8.0 * c.samplesPerFrame / s.sampleRate;
        size_t total = 0;
        for (size_t i = 0; i < frames.size(); ++i) {
            const auto& h = frames[i].header;
            ASSERT_EQ(h.sampleRate, uint32_t(s.sampleRate));
            ASSERT_EQ(h.channels, uint32_t(s.channels));
            ASSERT_EQ(h.bitrate, uint32_t(s.bitrate));
            ASSERT_EQ(h.copyright, uint32_t(s.copyrightBit));
            ASSERT_EQ(h.original, uint32_t(s.originalBit));
            total += h.frameBytes();
            ASSERT_LT(std::abs(double(total) - exact * double(i + 1)), 1.0) << "frame " << i;
        }
        // Three seconds, plus at most the encoder's delay and one frame.
        const double seconds = double(frames.size()) * c.samplesPerFrame / s.sampleRate;
        EXPECT_GE(seconds, 3.0);
        EXPECT_LT(seconds, 3.1);
        manager_->CreateChain("", "", CNxSSManager::kSinkNone);
    }
}

// The VBR file spends few bytes on its quiet half, so only a seek that
// follows the "VBRI" table lands at the right time.
TEST_F(Mp3WriterTest, VbrHeaderGivesTheDurationAndSeeksRight) {
    Mp3WriterSettings s = Vbr(60);
    s.copyrightBit = 1;
    Chain(QuietThenLoud(44100, 2, 5.0, 5.0), s);
    ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();

    const auto file = ReadBytes(target_);
    const auto frames = Frames(file);
    ASSERT_EQ(EndOf(frames), file.size());
    mp3::Mp3VbriHeader vbri;
    ASSERT_TRUE(mp3::parseVbriHeader(file.data(), frames[0].header.frameBytes(), vbri));
    EXPECT_EQ(vbri.frames, frames.size() - 1);
    EXPECT_EQ(vbri.bytes, file.size());
    EXPECT_EQ(vbri.quality, 60u);
    const size_t quietBytes = frames[frames.size() / 2].offset;
    EXPECT_GT(file.size() - quietBytes, 3 * quietBytes) << "the halves should differ in size";
    for (const Frame& f : frames) {
        ASSERT_EQ(f.header.copyright, 1u);
    }

    CNxSSMp3Reader reader(nullptr);
    reader.Open(target_.string());
    EXPECT_NEAR(reader.GetLength(), 10000, 60);
    std::vector<uint8_t> pcm(44100 / 5 * 4);
    for (const int32_t at : {2500, 7500, 1000}) {
        reader.SetPosition(at);
        ASSERT_EQ(reader.ReadPcm(pcm.data(), pcm.size()), pcm.size());
        std::vector<int16_t> samples(pcm.size() / 2);
        std::memcpy(samples.data(), pcm.data(), pcm.size());
        EXPECT_EQ(Rms(samples) > 3000, at > 5000) << "our reader at " << at;
    }

    const std::string duration = Shell(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + target_.string() + "'");
    EXPECT_NEAR(std::atof(duration.c_str()), 10.0, 0.06) << duration;
    for (const double at : {2.5, 7.5, 1.0}) {
        EXPECT_EQ(Rms(FfmpegDecode(target_, at, 0.2)) > 3000, at > 5) << "ffmpeg at " << at;
    }
}

TEST_F(Mp3WriterTest, InputsAreConvertedToWhatTheEncoderTakes) {
    struct Case {
        Pcm pcm;
        Mp3WriterSettings settings;
        uint32_t rate;  // of the file
    };
    const Case cases[] = {
        {Tone(11025, 1, 1.0), Vbr(40), 16000},  // VBR needs 16000 Hz at least
        {Tone(22050, 2, 1.0, 0.5, 8), Vbr(80), 22050},
        {Tone(96000, 2, 1.0), Cbr(48000, 2, 192000), 48000},  // snapped to the table
        {Tone(44000, 1, 1.0), Cbr(32000, 1, 64000), 32000},
    };
    for (const Case& c : cases) {
        Chain(c.pcm, c.settings);
        ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();
        const auto file = ReadBytes(target_);
        const auto frames = Frames(file);
        ASSERT_GT(frames.size(), 10u);
        EXPECT_EQ(EndOf(frames), file.size());
        EXPECT_EQ(frames[1].header.sampleRate, c.rate);
        EXPECT_EQ(frames[1].header.channels, c.pcm.format.channels());
        manager_->CreateChain("", "", CNxSSManager::kSinkNone);
    }
}

TEST_F(Mp3WriterTest, StoppingMidwayKeepsThePreviousTarget) {
    WriteBytes(target_, "the previous file");
    ::chmod(target_.c_str(), 0640);
    PcmSource& source = Chain(Tone(44100, 2, 5.0), Cbr(44100, 2, 128000));
    source.UseGate();
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    source.reached.wait();
    manager_->Stop();
    source.gate.set();
    Writer().PostCommand(CNxSSActiveComponent::kCmdStop, 0, 0, true);  // the stop has run
    EXPECT_EQ(manager_->GetStatus(), CNxSSComponent::kStopped);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.mp3"});
    const auto kept = ReadBytes(target_);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "the previous file");

    // A complete job replaces it and keeps its permissions.
    Chain(Tone(44100, 2, 0.5), Cbr(44100, 2, 128000));
    ASSERT_EQ(Convert(), nxss::kFinished);
    struct stat st {};
    ASSERT_EQ(::stat(target_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    const auto file = ReadBytes(target_);
    const auto frames = Frames(file);
    EXPECT_EQ(EndOf(frames), file.size());
    EXPECT_GE(frames.size() * 1152, 44100u / 2);
}

TEST_F(Mp3WriterTest, FailuresLeaveTheTargetAlone) {
    struct Case {
        const char* what;
        Pcm pcm;
        int failAfter;
        uint32_t code;
    };
    const Case cases[] = {
        {"source fails midway", Tone(44100, 2, 5.0), 3, PcmSource::kReadError},
        {"format the input cannot give", Tone(22050, 2, 1.0), -1, nxss::kFail},
        {"four channels", Tone(44100, 4, 1.0), -1, nxss::kFail},
    };
    WriteBytes(target_, "the previous file");
    for (const Case& c : cases) {
        Chain(c.pcm, Cbr(44100, 2, 128000), c.failAfter);
        EXPECT_EQ(Convert(), c.code) << c.what;
        EXPECT_EQ(manager_->GetStatus(), CNxSSComponent::kStopped);
        EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.mp3"}) << c.what;
        const auto kept = ReadBytes(target_);
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "the previous file") << c.what;
        if (c.code == nxss::kFail) {
            EXPECT_NE(Writer().LastErrorText(), "") << c.what;
        }
        manager_->CreateChain("", "", CNxSSManager::kSinkNone);
    }
}

}  // namespace
