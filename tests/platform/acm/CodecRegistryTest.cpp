#include "platform/acm/CodecRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/acm/ImaAdpcm.h"
#include "platform/acm/MsAdpcm.h"
#include "platform/acm/Stream.h"

namespace {

using namespace platform::acm;
using platform::WaveFormat;

SuggestFilter onlyTag(uint16_t tag) {
    SuggestFilter f;
    f.tag = tag;
    return f;
}

TEST(CodecRegistry, ListsTheBuiltInTagsWithNamesAndTexts) {
    const auto codecs = CodecRegistry::standard();
    std::vector<uint16_t> tags;
    for (const auto& t : codecs.formatTags()) {
        tags.push_back(t.tag);
        EXPECT_FALSE(t.name.empty());
    }
    EXPECT_EQ(tags, (std::vector<uint16_t>{kTagPcm, kTagIeeeFloat, kTagImaAdpcm, kTagMsAdpcm,
                                           kTagALaw, kTagMuLaw}));
    EXPECT_EQ(codecs.formatTagDetails(kTagImaAdpcm)->name, "IMA ADPCM");
    EXPECT_EQ(codecs.formatTagDetails(kTagExtensible)->name, "PCM (Extensible)");
    EXPECT_FALSE(codecs.formatTagDetails(kTagMpegLayer3));
    EXPECT_EQ(codecs.maxFormatSize(), 50u);  // MS ADPCM with its seven pairs

    EXPECT_EQ(codecs.formatText(WaveFormat::pcm(2, 44100, 16)), "44.100 kHz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ");
    EXPECT_EQ(codecs.formatText(ImaAdpcm::standardFormat(1, 22050)), "22.050 kHz, 4 ﾋﾞｯﾄ, ﾓﾉﾗﾙ");
    auto f = WaveFormat::pcm(1, 8000, 32);
    f.setTag(kTagIeeeFloat);
    EXPECT_EQ(codecs.formatText(f), "8.000 kHz, 32 ﾋﾞｯﾄ 浮動小数点, ﾓﾉﾗﾙ");
    f.setTag(0x1234);
    EXPECT_FALSE(codecs.formatText(f));
}

TEST(CodecRegistry, EveryListedCodecFormatCanBeWrittenFromSuggestedPcm) {
    // What a format choice offers must really be producible: a PCM format
    // is suggested for it and a stream from that PCM to it opens.
    const auto codecs = CodecRegistry::standard();
    for (const uint16_t tag : {kTagIeeeFloat, kTagImaAdpcm, kTagMsAdpcm, kTagALaw, kTagMuLaw}) {
        const auto formats = codecs.formats(tag);
        ASSERT_FALSE(formats.empty()) << tag;
        for (const auto& [format, text] : formats) {
            EXPECT_FALSE(text.empty());
            const auto pcm = codecs.suggest(format, onlyTag(kTagPcm));
            ASSERT_TRUE(pcm) << tag;
            Stream s;
            EXPECT_EQ(s.open(codecs, *pcm, format), kOk) << tag << " " << text;
            EXPECT_EQ(s.open(codecs, format, *pcm), kOk) << tag << " " << text;
        }
    }
    EXPECT_EQ(codecs.formats(kTagPcm).size(), 9u * 2 * 4);
}

TEST(CodecRegistry, SuggestsWithinTheFilter) {
    const auto codecs = CodecRegistry::standard();
    const auto ima = ImaAdpcm::standardFormat(2, 44100);
    EXPECT_EQ(codecs.suggest(ima, {}), WaveFormat::pcm(2, 44100, 16));
    SuggestFilter otherRate = onlyTag(kTagPcm);
    otherRate.samplesPerSec = 22050;
    EXPECT_FALSE(codecs.suggest(ima, otherRate));

    // PCM suggests itself; float and extensible records become plain PCM.
    EXPECT_EQ(codecs.suggest(WaveFormat::pcm(1, 8000, 24), {}), WaveFormat::pcm(1, 8000, 24));
    auto flt = WaveFormat::pcm(2, 48000, 32);
    flt.setTag(kTagIeeeFloat);
    EXPECT_EQ(codecs.suggest(flt, {}), WaveFormat::pcm(2, 48000, 24));

    // PCM toward a codec gives that codec's usual format.
    EXPECT_EQ(codecs.suggest(WaveFormat::pcm(1, 22050, 16), onlyTag(kTagMsAdpcm)),
              MsAdpcm::standardFormat(1, 22050));
    SuggestFilter mono = onlyTag(kTagPcm);
    mono.channels = 1;
    mono.samplesPerSec = 32000;
    EXPECT_EQ(codecs.suggest(WaveFormat::pcm(2, 44100, 16), mono), WaveFormat::pcm(1, 32000, 16));
    mono.channels = 3;
    EXPECT_FALSE(codecs.suggest(WaveFormat::pcm(2, 44100, 16), mono));
}

TEST(CodecRegistry, ReadsExtensibleRecords) {
    auto ext = WaveFormat::pcm(2, 96000, 24);
    ext.setTag(kTagExtensible);
    const uint8_t extra[22] = {24, 0,    3, 0,    0, 0, 1,    0, 0,    0,    0,
                               0,  0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    ext.setExtra(extra);
    const auto codecs = CodecRegistry::standard();
    EXPECT_EQ(codecs.suggest(ext, {}), WaveFormat::pcm(2, 96000, 24));
    EXPECT_EQ(codecs.formatText(ext), "96.000 kHz, 24 ﾋﾞｯﾄ, ｽﾃﾚｵ");
    auto foreign = ext;
    std::vector<uint8_t> other(extra, extra + 22);
    other[21] = 0x72;  // not the audio sub-format family
    foreign.setExtra(other);
    EXPECT_FALSE(codecs.suggest(foreign, {}));
}

}  // namespace
