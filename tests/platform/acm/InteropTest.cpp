// Files exchanged with sox and ffmpeg: what we write must decode in the
// tool exactly as in our decoder, and what the tool writes must decode in
// ours exactly as in the tool. Skipped where a tool is not installed.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "TestWave.h"
#include "platform/acm/G711Codec.h"
#include "platform/acm/ImaAdpcm.h"
#include "platform/acm/MsAdpcm.h"
#include "platform/acm/PcmLayout.h"
#include "support/Files.h"

namespace {

using namespace platform::acm;
using acmtest::WaveFile;
using platform::WaveFormat;

struct ExternalCodec {
    const char* name;
    uint16_t tag;
    const char* soxEncoding;  // sox -e
    const char* ffmpegCodec;  // ffmpeg -c:a
};

const ExternalCodec kCodecs[] = {
    {"ImaAdpcm", kTagImaAdpcm, "ima-adpcm", "adpcm_ima_wav"},
    {"MsAdpcm", kTagMsAdpcm, "ms-adpcm", "adpcm_ms"},
    {"ALaw", kTagALaw, "a-law", "pcm_alaw"},
    {"MuLaw", kTagMuLaw, "u-law", "pcm_mulaw"},
};

class Interop : public ::testing::TestWithParam<ExternalCodec> {
  protected:
    void SetUp() override {
        if (!acmtest::haveTool("sox") || !acmtest::haveTool("ffmpeg")) {
            GTEST_SKIP() << "sox and ffmpeg are needed";
        }
    }

    // Our decode of a file, 16-bit samples.
    std::vector<int16_t> ours(const WaveFile& wave) {
        const auto pcm = codecs_.suggest(
            wave.format,
            SuggestFilter{
                .tag = kTagPcm, .channels = {}, .samplesPerSec = {}, .bitsPerSample = {}});
        EXPECT_TRUE(pcm.has_value());
        return acmtest::toSamples(acmtest::convertAll(codecs_, wave.format, *pcm, wave.data, 4096));
    }

    std::vector<int16_t> soxDecode(const std::filesystem::path& file) {
        const auto raw = dir_ / "sox.raw";
        EXPECT_TRUE(acmtest::run("sox '" + file.string() + "' -t raw -e signed -b 16 '" +
                                 raw.string() + "'"));
        return acmtest::toSamples(testsupport::readBytes(raw));
    }

    std::vector<int16_t> ffmpegDecode(const std::filesystem::path& file) {
        const auto raw = dir_ / "ffmpeg.raw";
        EXPECT_TRUE(acmtest::run("ffmpeg -v error -y -i '" + file.string() + "' -f s16le '" +
                                 raw.string() + "'"));
        return acmtest::toSamples(testsupport::readBytes(raw));
    }

    std::filesystem::path source(uint32_t rate, uint16_t channels) {
        WaveFile wave{WaveFormat::pcm(channels, rate, 16),
                      acmtest::toBytes(acmtest::sweep(rate, channels, 1.3, 0.8)),
                      {}};
        const auto path = dir_ / "source.wav";
        acmtest::writeWave(path, wave);
        return path;
    }

    acmtest::TempDir dir_;
    CodecRegistry codecs_ = CodecRegistry::standard();
};

// The tool may pad or trim the last block; the decoded samples they share
// must be the same.
void expectSamePrefix(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                      size_t atLeast) {
    ASSERT_GE(a.size(), atLeast);
    ASSERT_GE(b.size(), atLeast);
    const size_t n = std::min(a.size(), b.size());
    size_t differing = 0, first = n;
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
            ++differing;
            first = std::min(first, i);
        }
    }
    EXPECT_EQ(differing, 0u) << "first difference at sample " << first;
}

TEST_P(Interop, OurFilesDecodeTheSameInTheTools) {
    for (const uint16_t channels : {1, 2}) {
        const uint32_t rate = channels == 1 ? 8000 : 22050;
        const auto pcm = acmtest::readWave(source(rate, channels));
        const auto format = codecs_.suggest(
            pcm.format,
            SuggestFilter{
                .tag = GetParam().tag, .channels = {}, .samplesPerSec = {}, .bitsPerSample = {}});
        ASSERT_TRUE(format);
        WaveFile coded{*format, acmtest::convertAll(codecs_, pcm.format, *format, pcm.data, 8192),
                       static_cast<uint32_t>(pcm.data.size() / pcm.format.blockAlign())};
        const auto path = dir_ / "ours.wav";
        acmtest::writeWave(path, coded);
        const auto decoded = ours(coded);
        expectSamePrefix(soxDecode(path), decoded, pcm.data.size() / 2);
        // ffmpeg rounds IMA steps its own way (it differs from sox on every
        // IMA file); on the other codecs it must agree with us too.
        if (GetParam().tag != kTagImaAdpcm) {
            expectSamePrefix(ffmpegDecode(path), decoded, pcm.data.size() / 2);
        }
    }
}

TEST_P(Interop, SoxFilesDecodeTheSameInOurs) {
    for (const uint16_t channels : {1, 2}) {
        const auto path = dir_ / "sox.wav";
        ASSERT_TRUE(acmtest::run("sox '" +
                                 source(channels == 1 ? 11025 : 44100, channels).string() +
                                 "' -e " + GetParam().soxEncoding + " '" + path.string() + "'"));
        const auto wave = acmtest::readWave(path);
        ASSERT_EQ(wave.format.tag(), GetParam().tag);
        const auto decoded = ours(wave);
        expectSamePrefix(soxDecode(path), decoded, decoded.size());
    }
}

TEST_P(Interop, FfmpegFilesDecodeTheSameInOursWhereTheToolsAgree) {
    const auto path = dir_ / "ffmpeg.wav";
    ASSERT_TRUE(acmtest::run("ffmpeg -v error -y -i '" + source(22050, 2).string() + "' -c:a " +
                             GetParam().ffmpegCodec + " '" + path.string() + "'"));
    const auto wave = acmtest::readWave(path);
    const auto decoded = ours(wave);
    expectSamePrefix(soxDecode(path), decoded, decoded.size());
    if (GetParam().tag != kTagImaAdpcm) {
        expectSamePrefix(ffmpegDecode(path), decoded, decoded.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, Interop, ::testing::ValuesIn(kCodecs),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace

namespace {

struct PcmKind {
    const char* name;
    const char* ffmpegCodec;
    WaveFormat plain;  // what the layer converts the file to for comparison
    const char* rawFormat;
};

class PcmInterop : public ::testing::TestWithParam<PcmKind> {
  protected:
    void SetUp() override {
        if (!acmtest::haveTool("sox") || !acmtest::haveTool("ffmpeg")) {
            GTEST_SKIP() << "sox and ffmpeg are needed";
        }
        ASSERT_TRUE(acmtest::run("sox -n -r 48000 -c 2 -b 24 '" + (dir_ / "src.wav").string() +
                                 "' synth 0.5 sine 20-20000 vol 0.9"));
    }

    std::vector<uint8_t> ffmpegRaw(const std::filesystem::path& file) {
        const auto raw = dir_ / "out.raw";
        EXPECT_TRUE(acmtest::run("ffmpeg -v error -y -i '" + file.string() + "' -f " +
                                 GetParam().rawFormat + " '" + raw.string() + "'"));
        return testsupport::readBytes(raw);
    }

    std::vector<uint8_t> ours(const WaveFile& wave) {
        return acmtest::convertAll(codecs_, wave.format, GetParam().plain, wave.data, 6000);
    }

    acmtest::TempDir dir_;
    CodecRegistry codecs_ = CodecRegistry::standard();
};

TEST_P(PcmInterop, ToolFilesReadTheSameInOurs) {
    const auto path = dir_ / "tool.wav";
    ASSERT_TRUE(acmtest::run("ffmpeg -v error -y -i '" + (dir_ / "src.wav").string() + "' -c:a " +
                             GetParam().ffmpegCodec + " '" + path.string() + "'"));
    const auto wave = acmtest::readWave(path);
    ASSERT_TRUE(PcmLayout::of(wave.format)) << "tag " << wave.format.tag();
    EXPECT_EQ(ours(wave), ffmpegRaw(path));
}

TEST_P(PcmInterop, OurFilesReadTheSameInTheTool) {
    const auto source = acmtest::readWave(dir_ / "src.wav");
    const auto target = PcmLayout::of(GetParam().plain)->format();
    WaveFile written{
        target, acmtest::convertAll(codecs_, source.format, target, source.data, 6000), {}};
    const auto path = dir_ / "ours.wav";
    acmtest::writeWave(path, written);
    EXPECT_EQ(ours(written), ffmpegRaw(path));
}

WaveFormat floatFormat() {
    auto f = WaveFormat::pcm(2, 48000, 32);
    f.setTag(kTagIeeeFloat);
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PcmInterop,
    ::testing::Values(PcmKind{"Int24", "pcm_s24le", WaveFormat::pcm(2, 48000, 32), "s32le"},
                      PcmKind{"Int32", "pcm_s32le", WaveFormat::pcm(2, 48000, 32), "s32le"},
                      PcmKind{"UInt8", "pcm_u8", WaveFormat::pcm(2, 48000, 8), "u8"},
                      PcmKind{"Float32", "pcm_f32le", floatFormat(), "f32le"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
