// The codec's face to the compression layer, as the program registers it:
// its format records, the formats it offers, suggestions, which
// conversions it agrees to open, and what it makes of ffmpeg's files.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "Mp3AcmTestSupport.h"
#include "TestWave.h"
#include "mp3/acm/Mp3AcmCodec.h"
#include "mp3/acm/Mp3CodecSetup.h"
#include "mp3/acm/Mp3WaveFormat.h"
#include "platform/acm/CodecRegistry.h"
#include "platform/acm/Stream.h"
#include "support/TempDir.h"

namespace {

using mp3::acm::Mp3AcmCodec;
using mp3::acm::Mp3WaveFormat;
using platform::WaveFormat;
using namespace platform::acm;

using mp3acmtest::only;
using mp3acmtest::withMp3;

TEST(Mp3WaveFormat, RecordHasTheLayoutOtherWritersUse) {
    const auto record = Mp3WaveFormat::constantBitrate(44100, 2, 128000, 1057).record();
    const std::vector<uint8_t> expected = {
        0x55, 0x00, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00,  // tag, channels, rate
        0x80, 0x3E, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // 16000 bytes/s, align 1, 0 bits
        0x0C, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,  // extra 12, wID 1, ISO padding
        0xA1, 0x01, 0x01, 0x00, 0x21, 0x04};             // 417-byte frames, 1, delay
    EXPECT_EQ(std::vector<uint8_t>(record.bytes().begin(), record.bytes().end()), expected);

    const auto parsed = Mp3WaveFormat::parse(record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->bitrate, 128000u);
    EXPECT_EQ(parsed->blockSize, 417u);
    EXPECT_EQ(parsed->codecDelay, 1057u);
    // Reading needs no extra bytes, but a layout some stream can have.
    WaveFormat bare = record;
    bare.setExtra({});
    EXPECT_TRUE(Mp3WaveFormat::parse(bare));
    bare.setSamplesPerSec(44000);
    EXPECT_FALSE(Mp3WaveFormat::parse(bare));
    // MPEG-2 frames hold 576 samples.
    EXPECT_EQ(Mp3WaveFormat::constantBitrate(22050, 1, 32000, 0).blockSize, 104u);
}

TEST(Mp3AcmCodec, EveryOfferedFormatOpensFromItsSuggestedPcm) {
    const auto& codecs = withMp3();
    const auto offered = codecs.formats(kTagMpegLayer3);
    ASSERT_FALSE(offered.empty());
    std::set<std::string> texts;
    for (const auto& entry : offered) {
        const auto f = Mp3WaveFormat::parse(entry.format);
        ASSERT_TRUE(f);
        EXPECT_TRUE(mp3::acm::isTableBitrate(f->sampleRate, f->bitrate)) << entry.text;
        const auto pcm = codecs.suggest(entry.format, only(kTagPcm));
        ASSERT_TRUE(pcm) << entry.text;
        Stream stream;
        EXPECT_EQ(stream.open(codecs, *pcm, entry.format), kOk) << entry.text;
        EXPECT_TRUE(texts.insert(entry.text).second) << "duplicate " << entry.text;
    }
    EXPECT_TRUE(texts.count("44.100 kHz, 128 kBit/s, ｽﾃﾚｵ"));
    EXPECT_TRUE(texts.count("48.000 kHz, 320 kBit/s, ｽﾃﾚｵ"));
    EXPECT_TRUE(texts.count("8.000 kHz, 8 kBit/s, ﾓﾉﾗﾙ"));
}

TEST(Mp3AcmCodec, SuggestsBetweenPcmAndTheTag) {
    const auto& codecs = withMp3();
    const auto mp3 = codecs.suggest(WaveFormat::pcm(2, 44100, 16), only(kTagMpegLayer3));
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->avgBytesPerSec(), 16000u);  // the encoder's default for the rate
    EXPECT_EQ(codecs.suggest(*mp3, SuggestFilter{}), WaveFormat::pcm(2, 44100, 16));

    EXPECT_FALSE(codecs.suggest(WaveFormat::pcm(2, 44000, 16), only(kTagMpegLayer3)));
}

TEST(Mp3AcmCodec, OpensOnlyConversionsItCanDo) {
    const Mp3AcmCodec codec;
    const auto own = Mp3WaveFormat::constantBitrate(44100, 2, 128000, 1057).record();
    auto foreign = Mp3WaveFormat::constantBitrate(44100, 2, 128000, 1393);
    foreign.flags = Mp3WaveFormat::kPaddingOff;
    const auto pcm = WaveFormat::pcm(2, 44100, 16);

    EXPECT_TRUE(codec.open(pcm, own));
    EXPECT_TRUE(codec.open(own, pcm));
    EXPECT_TRUE(codec.open(foreign.record(), pcm));  // any stream reads
    // Only records that describe what the encoder writes are written.
    EXPECT_FALSE(codec.open(pcm, foreign.record()));
    EXPECT_FALSE(codec.open(pcm, Mp3WaveFormat::constantBitrate(44100, 2, 136000, 0).record()));
    EXPECT_FALSE(codec.open(WaveFormat::pcm(2, 44100, 8), own));
    EXPECT_FALSE(codec.open(WaveFormat::pcm(1, 44100, 16), own));
    EXPECT_FALSE(codec.open(own, WaveFormat::pcm(2, 22050, 16)));
}

// Our decode of the MP3 WAVE file ffmpeg writes against ffmpeg's own: the
// same frames, so the same samples but for rounding, once the start is
// lined up.
TEST(Mp3AcmCodec, DecodesWhatFfmpegWrites) {
    if (!acmtest::haveTool("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is needed";
    }
    const testsupport::TempDir dir;
    const auto theirs = dir / "ffmpeg.wav";
    ASSERT_TRUE(
        acmtest::run("ffmpeg -nostdin -y -f lavfi -i sine=frequency=1000:sample_rate="
                     "22050:duration=1.5 -ac 2 -c:a libmp3lame -b:a 64k -f wav '" +
                     theirs.string() + "'"));
    const acmtest::WaveFile wave = acmtest::readWave(theirs);
    ASSERT_EQ(wave.format.tag(), kTagMpegLayer3);
    const auto ours = acmtest::toSamples(acmtest::convertAll(
        withMp3(), wave.format, WaveFormat::pcm(2, 22050, 16), wave.data, 4096));
    std::string complaint;
    const auto reference = acmtest::ffmpegDecode(theirs, dir / "ffmpeg-pcm.wav", complaint);
    EXPECT_EQ(complaint, "");
    ASSERT_FALSE(reference.empty());
    ASSERT_GE(ours.size(), reference.size());
    const size_t skip = ours.size() - reference.size();
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        worst = std::max(worst, std::abs(ours[i + skip] - reference[i]));
    }
    EXPECT_LE(worst, 2);
}

}  // namespace
