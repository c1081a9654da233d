// Conversions through the codec: decoding matches the MP3 reader, input
// that does not make a whole frame stays with the caller, and encoded
// streams decode back to the source at the delay the record states.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Mp3AcmTestSupport.h"
#include "TestWave.h"
#include "mp3/Mp3FrameHeader.h"
#include "mp3/acm/Mp3AcmCodec.h"
#include "mp3/acm/Mp3CodecSetup.h"
#include "mp3/acm/Mp3WaveFormat.h"
#include "mp3/reader/ReaderTestSupport.h"
#include "platform/acm/CodecRegistry.h"

namespace {

using mp3::acm::Mp3AcmCodec;
using mp3::acm::Mp3WaveFormat;
using platform::WaveFormat;
using namespace platform::acm;

using mp3acmtest::only;
using mp3acmtest::withMp3;

const Mp3AcmCodec& codec() {
    static const Mp3AcmCodec instance;
    return instance;
}

mp3::Mp3FrameHeader headerAt(std::span<const uint8_t> bytes, size_t at = 0) {
    mp3::Mp3FrameHeader h;
    const uint32_t word = uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
                          uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    mp3::decodeMp3Header(word, h);
    return h;
}

// The file's frames from its first header on, and the record for them.
struct Mp3Stream {
    std::vector<uint8_t> bytes;
    WaveFormat format;
};

Mp3Stream streamOf(const std::string& fixture) {
    Mp3Stream s{mp3test::bytesOf(mp3test::fixture(fixture + ".mp3")), {}};
    size_t at = 0;
    while (!headerAt(s.bytes, at).valid) {
        ++at;
    }
    s.bytes.erase(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(at));
    const auto h = headerAt(s.bytes);
    s.format = Mp3WaveFormat::constantBitrate(h.sampleRate, static_cast<uint16_t>(h.channels),
                                              h.bitrate, 0)
                   .record();
    return s;
}

WaveFormat pcmOf(const WaveFormat& mp3) {
    return WaveFormat::pcm(mp3.channels(), mp3.samplesPerSec(), 16);
}

TEST(Mp3Decoding, EqualsTheReaderForTheSameFrames) {
    const auto& codecs = withMp3();
    for (const char* name : {"v1_44k_joint_128", "v1_44k_vbr_xing", "v1_48k_mono_crc",
                             "v2_22k_joint", "v25_8k_stereo"}) {
        SCOPED_TRACE(name);
        auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.raw = true});
        reader->Open(mp3test::fixture(std::string(name) + ".mp3").string());
        const auto expected = mp3test::readAll(*reader);
        const auto s = streamOf(name);
        // Pieces that cut frames anywhere, as the WAVE reader's 4096 do.
        for (const size_t piece : {size_t{4096}, size_t{1000}}) {
            const auto decoded =
                acmtest::convertAll(codecs, s.format, pcmOf(s.format), s.bytes, piece);
            EXPECT_EQ(decoded, expected) << "pieces of " << piece;
        }
    }
}

TEST(Mp3Decoding, KeepsACutFrameUntilTheEnd) {
    const auto s = streamOf("v1_44k_joint_128");
    auto converter = codec().open(s.format, pcmOf(s.format));
    ASSERT_TRUE(converter);
    // Audio frames only: the file starts with an "Info" frame.
    const auto audio = std::span(s.bytes).subspan(headerAt(s.bytes).frameBytes());
    const size_t first = headerAt(audio).frameBytes();
    const size_t second = headerAt(audio, first).frameBytes();
    const auto source = audio.first(first + second + second / 2);
    std::vector<uint8_t> out(converter->destinationSize(source.size()));

    auto c = converter->convert(source, out, kConvertBlockAlign);
    EXPECT_EQ(c.result, kOk);
    EXPECT_EQ(c.consumed, first + second);
    EXPECT_EQ(c.produced, 2u * 1152 * 4);
    const auto rest = source.subspan(c.consumed);
    EXPECT_EQ(converter->convert(rest, out, kConvertBlockAlign).consumed, 0u);
    // At the end of the stream the cut frame is dropped, not decoded.
    c = converter->convert(rest, out, kConvertBlockAlign | kConvertEnd);
    EXPECT_EQ(c.consumed, rest.size());
    EXPECT_EQ(c.produced, 0u);

    // Room for one frame decodes one and keeps the next.
    converter->reset();
    c = converter->convert(audio, std::span(out).first(4608 + 100), kConvertBlockAlign);
    EXPECT_EQ(c.consumed, first);
    EXPECT_EQ(c.produced, 4608u);
}

// The record promises a layout; frames that do not match it are made to
// fit (channels) or left out (another rate), never passed on as they are.
TEST(Mp3Decoding, KeepsToTheRecordsLayout) {
    const auto& codecs = withMp3();
    const auto mono = streamOf("v1_48k_mono_crc");
    const auto asMono = acmtest::toSamples(
        acmtest::convertAll(codecs, mono.format, pcmOf(mono.format), mono.bytes, 4096));
    auto stereo = Mp3WaveFormat::parse(mono.format).value();
    stereo.channels = 2;
    const auto asStereo = acmtest::toSamples(
        acmtest::convertAll(codecs, stereo.record(), pcmOf(stereo.record()), mono.bytes, 4096));
    ASSERT_EQ(asStereo.size(), 2 * asMono.size());
    for (size_t i = 0; i < asMono.size(); ++i) {
        ASSERT_EQ(asStereo[2 * i], asMono[i]);
        ASSERT_EQ(asStereo[2 * i + 1], asMono[i]);
    }
    auto otherRate = stereo;
    otherRate.sampleRate = 44100;
    EXPECT_TRUE(
        acmtest::convertAll(codecs, otherRate.record(), pcmOf(otherRate.record()), mono.bytes, 4096)
            .empty());
}

// A frame-sized piece of PCM is coded only once a whole one is there, and
// the output is handed out in whole frames.
TEST(Mp3Encoding, TakesWholeFramesOfInputAndGivesWholeFrames) {
    const auto format = Mp3WaveFormat::constantBitrate(44100, 2, 128000, 0).record();
    auto converter = codec().open(pcmOf(format), format);
    ASSERT_TRUE(converter);
    const auto pcm = acmtest::toBytes(acmtest::sweep(44100, 2, 1.0, 0.5));
    const size_t block = 1152 * 4;
    std::vector<uint8_t> out(converter->destinationSize(pcm.size()));
    std::vector<uint8_t> stream;
    auto take = [&](const Conversion& c) {
        EXPECT_EQ(c.result, kOk);
        for (size_t at = 0; at < c.produced; at += headerAt(out, at).frameBytes()) {
            ASSERT_TRUE(headerAt(out, at).valid) << "output not in whole frames";
        }
        stream.insert(stream.end(), out.begin(), out.begin() + static_cast<long>(c.produced));
    };

    auto c = converter->convert(std::span(pcm).first(block + block / 2), out, kConvertBlockAlign);
    EXPECT_EQ(c.consumed, block);
    take(c);
    c = converter->convert(std::span(pcm).subspan(block), out, kConvertBlockAlign);
    EXPECT_EQ(c.consumed, (pcm.size() - block) / block * block);
    take(c);
    const auto rest = std::span(pcm).subspan(block + c.consumed);
    // The end flushes the encoder even when the destination holds only one
    // frame at a time.
    c = converter->convert(rest, std::span(out).first(418), kConvertBlockAlign | kConvertEnd);
    EXPECT_EQ(c.consumed, rest.size());
    for (; c.produced > 0; c = converter->convert({}, std::span(out).first(418), kConvertEnd)) {
        take(c);
    }
    // ISO padding keeps the stream at its bitrate.
    size_t frames = 0;
    for (size_t at = 0; at < stream.size(); at += headerAt(stream, at).frameBytes()) {
        ++frames;
    }
    EXPECT_GE(frames * 1152, pcm.size() / 4 + 528);
    EXPECT_NEAR(double(stream.size()) / frames, 128000.0 / 8 * 1152 / 44100, 1.0);
}

double correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t lag) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i + lag < b.size() && i < a.size(); ++i) {
        ab += double(a[i]) * b[i + lag];
        aa += double(a[i]) * a[i];
        bb += double(b[i + lag]) * b[i + lag];
    }
    return ab / std::sqrt(aa * bb + 1e-9);
}

TEST(Mp3Encoding, DecodesBackAtTheStatedDelay) {
    const auto& codecs = withMp3();
    const auto mp3 = codecs.suggest(WaveFormat::pcm(1, 32000, 16), only(kTagMpegLayer3));
    ASSERT_TRUE(mp3);
    const auto delay = Mp3WaveFormat::parse(*mp3)->codecDelay;
    const auto source = acmtest::sweep(32000, 1, 1.0, 0.5);
    const auto coded =
        acmtest::convertAll(codecs, pcmOf(*mp3), *mp3, acmtest::toBytes(source), 4096);
    const auto decoded =
        acmtest::toSamples(acmtest::convertAll(codecs, *mp3, pcmOf(*mp3), coded, 4096));
    ASSERT_GE(decoded.size(), source.size() + delay);
    size_t best = 0;
    for (size_t lag = 0; lag < 2 * 1152; ++lag) {
        if (correlation(source, decoded, lag) > correlation(source, decoded, best)) {
            best = lag;
        }
    }
    EXPECT_EQ(best, delay);
    EXPECT_GT(correlation(source, decoded, best), 0.95);
}

}  // namespace
