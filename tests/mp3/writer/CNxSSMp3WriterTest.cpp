#include "mp3/writer/CNxSSMp3Writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>

#include "WriterTestSupport.h"
#include "mp3/Mp3LameTag.h"
#include "mp3/Mp3VbrHeaders.h"
#include "mp3/enc/Mp3EncoderHandle.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using mp3::enc::Mp3WriterSettings;
using namespace writertest;

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

class Mp3WriterTest : public testing::Test {
  protected:
    // A new chain from a source of `pcm` into an MP3 writer with `settings`.
    PcmSource& Chain(Pcm pcm, const Mp3WriterSettings& settings, int failAfter = -1) {
        source_ = MakeNx<PcmSource>(std::move(pcm), failAfter);
        EXPECT_EQ(manager_->CreateChain("", target_.string(), CNxSSManager::kSinkMp3), 0u);
        EXPECT_EQ(manager_->Connect(source_.get(), manager_->Sink()), 0u);
        void* page = nullptr;
        EXPECT_EQ(manager_->GetInterface(CNxSSMp3Writer::kPageInterface, &page), 0u);
        NxRef<CNxSSMp3OptionPage>::adopt(static_cast<CNxSSMp3OptionPage*>(page))
            ->Mp3Settings()
            .SetValues(settings);
        manager_->Advise(&window_, 0x401, 0);
        return *source_;
    }
    CNxSSMp3Writer& Writer() { return static_cast<CNxSSMp3Writer&>(*manager_->Sink()); }
    uint32_t Next() { return static_cast<uint32_t>(window_.take(120000).value().wParam); }
    // Started, then the final code.
    uint32_t Convert() {
        manager_->Start();
        const uint32_t first = Next();
        return first == nxss::kStarted ? Next() : first;
    }
    // The output's frames; they must fill the whole file.
    std::vector<Frame> OutputFrames() {
        const auto file = testsupport::readBytes(target_);
        size_t end = 0;
        auto frames = Frames(file, &end);
        EXPECT_EQ(end, file.size()) << "junk after the frames";
        return frames;
    }

    TempSettings settings_;
    platform::MessageQueue window_;  // outlives the writer's thread
    testsupport::TempDir dir_;
    const std::filesystem::path target_ = dir_ / "out.mp3";
    NxRef<PcmSource> source_;
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>([] {
        CNxSSComponentCatalog catalog;
        AddMp3WriterComponents(catalog);
        return catalog;
    }());
};

// Padding keeps the mean frame at bitrate x samples / 8 / rate bytes: after
// every frame the total stays within one byte of the exact figure. The
// "Info" frame in front counts the real samples, also through a rate
// conversion, and at 32 kbit/s takes a bitrate that holds its fields.
TEST_F(Mp3WriterTest, CbrFramesFollowThePaddingRuleAndCarryTheFlags) {
    Mp3WriterSettings stereo = Cbr(44100, 2, 128000), mono = Cbr(22050, 1, 32000);
    stereo.copyrightBit = 1;
    mono.originalBit = 1;
    for (const auto& s : {stereo, mono}) {
        Chain(Audio(44100, 2, 3.0), s);
        ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();
        const auto file = testsupport::readBytes(target_);
        const auto frames = OutputFrames();
        const double perFrame = s.sampleRate == 44100 ? 1152 : 576;
        const double exact = s.bitrate / 8.0 * perFrame / s.sampleRate;
        size_t total = 0;
        for (size_t i = 0; i < frames.size(); ++i) {
            const auto& h = frames[i].header;
            ASSERT_EQ(h.sampleRate * 1000 + h.channels, uint32_t(s.sampleRate * 1000 + s.channels));
            ASSERT_EQ(h.copyright * 2 + h.original, uint32_t(s.copyrightBit * 2 + s.originalBit));
            if (i == 0) {
                continue;
            }
            ASSERT_EQ(h.bitrate, uint32_t(s.bitrate));
            total += h.frameBytes();
            ASSERT_LT(std::abs(double(total) - exact * double(i)), 1.0) << "frame " << i;
        }
        mp3::Mp3LameTag tag;
        ASSERT_TRUE(mp3::parseLameTag(file.data(), frames[0].header.frameBytes(), tag));
        EXPECT_EQ(tag.frames, frames.size() - 1);
        EXPECT_EQ(tag.delay, 528u);
        EXPECT_EQ(tag.frames * perFrame - tag.delay - tag.padding, 3.0 * s.sampleRate);
        EXPECT_GE(tag.padding, 529u);
        // Three seconds, plus at most the encoder's delay and one frame.
        EXPECT_NEAR(double(frames.size() - 1) * perFrame / s.sampleRate, 3.05, 0.05);
        CNxSSMp3Reader reader(nullptr);
        reader.Open(target_.string());
        EXPECT_EQ(reader.InfoRecord().bitrate, uint32_t(s.bitrate));
        EXPECT_FALSE(reader.InfoRecord().variableBitrate);
        EXPECT_EQ(reader.GetLength(), 3000);
    }
}

// The file spends few bytes on its quiet half, so only a seek that follows
// the "VBRI" table lands at the right time.
TEST_F(Mp3WriterTest, VbrHeaderGivesTheDurationAndSeeksRight) {
    Chain(Audio(44100, 2, 5.0, 0.01, 5.0), Vbr(60));
    ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();
    const auto file = testsupport::readBytes(target_);
    const auto frames = OutputFrames();
    mp3::Mp3VbriHeader vbri;
    ASSERT_TRUE(mp3::parseVbriHeader(file.data(), frames[0].header.frameBytes(), vbri));
    EXPECT_EQ(vbri.frames, frames.size() - 1);
    EXPECT_EQ(vbri.bytes, file.size());
    const size_t quietBytes = frames[frames.size() / 2].offset;
    ASSERT_GT(file.size() - quietBytes, 3 * quietBytes) << "the halves should differ in size";

    CNxSSMp3Reader reader(nullptr);
    reader.Open(target_.string());
    EXPECT_NEAR(reader.GetLength(), 10000, 60);
    const std::string path = "'" + target_.string() + "'";
    EXPECT_NEAR(std::atof(testsupport::shell(
                              "ffprobe -v error -show_entries format=duration -of csv=p=0 " + path)
                              .out.c_str()),
                10.0, 0.06);
    std::vector<int16_t> ours(44100 / 5 * 2);
    for (const int at : {2500, 7500, 1000}) {
        reader.SetPosition(at);
        reader.ReadPcm(reinterpret_cast<uint8_t*>(ours.data()), ours.size() * 2);
        EXPECT_EQ(Rms(ours) > 3000, at > 5000) << "our reader at " << at;
        const std::string theirs =
            testsupport::shell("ffmpeg -v error -ss " + std::to_string(at / 1000.0) + " -i " +
                               path + " -t 0.2 -f s16le -")
                .out;
        std::vector<int16_t> samples(theirs.size() / 2);
        std::memcpy(samples.data(), theirs.data(), samples.size() * 2);
        EXPECT_EQ(Rms(samples) > 3000, at > 5000) << "ffmpeg at " << at;
    }
}

TEST_F(Mp3WriterTest, InputsAreConvertedToWhatTheEncoderTakes) {
    struct Case {
        Pcm pcm;
        Mp3WriterSettings settings;
        uint32_t rate;  // of the file
    };
    const Case cases[] = {
        {Audio(11025, 1, 1.0), Vbr(40), 16000},  // VBR needs 16000 Hz at least
        {Audio(22050, 2, 1.0), Vbr(80), 22050},
        {Audio(96000, 2, 1.0), Cbr(48000, 2, 192000), 48000},  // snapped to the table
        {Audio(44000, 1, 1.0), Cbr(32000, 1, 64000), 32000},
    };
    for (const Case& c : cases) {
        Chain(c.pcm, c.settings);
        ASSERT_EQ(Convert(), nxss::kFinished) << Writer().LastErrorText();
        const auto frames = OutputFrames();
        ASSERT_GT(frames.size(), 10u);
        EXPECT_EQ(frames[1].header.sampleRate, c.rate);
        EXPECT_EQ(frames[1].header.channels, c.pcm.format.channels());
    }
}

// What the page lists for an input is taken at every speed, and the file
// plays in an independent decoder. The list at the higher speeds runs past
// 64 entries, so the last stereo bitrates were once refused.
TEST_F(Mp3WriterTest, EveryListedFormatEncodesAtEverySpeed) {
    for (const auto& [rate, channels] : {std::pair{44100, 2}, std::pair{48000, 1}}) {
        const auto listed = mp3::enc::Mp3EncoderHandle::create(rate, channels, 0)->formats();
        ASSERT_FALSE(listed.empty());
        for (const auto& f : listed) {
            for (int quality = 0; quality <= 2; ++quality) {
                Mp3WriterSettings s = Cbr(f.sampleRate, f.channels, f.bitrate);
                s.quality = quality;
                const std::string what =
                    mp3::enc::formatListText(f.bitrate, f.sampleRate, f.channels) + " quality " +
                    std::to_string(quality);
                EXPECT_TRUE(s.suits(rate, channels)) << what;
                Chain(Audio(static_cast<uint32_t>(rate), static_cast<uint16_t>(channels), 0.1), s);
                ASSERT_EQ(Convert(), nxss::kFinished) << what << ": " << Writer().LastErrorText();
                const auto report =
                    testsupport::shell("mpg123 -q -t " + target_.string() + " 2>&1");
                EXPECT_TRUE(report.exitCode == 0 && report.out.empty()) << what << "\n"
                                                                        << report.out;
            }
        }
    }
}

TEST_F(Mp3WriterTest, StopAndFailuresKeepThePreviousTarget) {
    testsupport::writeText(target_, "the previous file");
    ::chmod(target_.c_str(), 0640);
    PcmSource& source = Chain(Audio(44100, 2, 5.0), {});
    source.gated = true;
    manager_->Start();
    EXPECT_EQ(Next(), nxss::kStarted);
    source.reached.wait();
    manager_->Stop();
    source.gate.set();
    Writer().PostCommand(CNxSSActiveComponent::kCmdStop, 0, 0, true);  // the stop has run
    EXPECT_EQ(testsupport::readText(target_), "the previous file");

    const struct {
        Pcm pcm;
        int failAfter;
        uint32_t code;
    } failures[] = {
        {Audio(44100, 2, 5.0), 3, PcmSource::kReadError},  // the source fails midway
        {Audio(22050, 2, 1.0), -1, nxss::kFail},           // 44100 Hz cannot be made from it
        {Audio(44100, 4, 1.0), -1, nxss::kFail},
    };
    for (const auto& f : failures) {
        Chain(f.pcm, {}, f.failAfter);
        EXPECT_EQ(Convert(), f.code);
        EXPECT_EQ(testsupport::readText(target_), "the previous file");
        EXPECT_EQ(f.code == nxss::kFail, !Writer().LastErrorText().empty());
    }
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.mp3"}) << "no temporary file left";

    // A complete job replaces the target and keeps its permissions.
    Chain(Audio(44100, 2, 0.5), {});
    ASSERT_EQ(Convert(), nxss::kFinished);
    struct stat st {};
    ASSERT_EQ(::stat(target_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
