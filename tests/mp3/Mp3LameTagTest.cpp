#include "mp3/Mp3LameTag.h"

#include <gtest/gtest.h>

#include "Mp3TestSupport.h"
#include "mp3/Mp3Gapless.h"
#include "mp3/Mp3VbrHeaders.h"

namespace {

using namespace mp3;
using mp3::test::fixturePath;
using mp3::test::readBytes;

// Rewrites the extension's delay and padding with a CRC that fits them.
void setDelayAndPadding(std::vector<uint8_t>& file, uint32_t delay, uint32_t padding) {
    const size_t at = lameTagOffset(file.data(), file.size());
    ASSERT_GT(at, 0u);
    const uint32_t packed = delay << 12 | padding;
    for (int i = 0; i < 3; ++i) {
        file[at + kLameDelayAt + i] = static_cast<uint8_t>(packed >> (16 - 8 * i));
    }
    const uint16_t crc = lameTagCrc(file.data(), at + kLameCrcAt);
    file[at + kLameCrcAt] = static_cast<uint8_t>(crc >> 8);
    file[at + kLameCrcAt + 1] = static_cast<uint8_t>(crc);
}

// "Info" (CBR) and "Xing" (VBR) frames of every version, below the 16 kHz
// the analysis takes Xing counts from too.
TEST(LameTag, GivesDelayPaddingAndFramesOfLameFiles) {
    struct Case {
        const char* name;
        uint32_t frames, delay, padding;
    };
    for (const Case& c :
         {Case{"v1_44k_joint_128", 24, 576, 612}, Case{"v1_44k_vbr_xing", 24, 576, 612},
          Case{"v1_48k_mono_crc", 26, 576, 576}, Case{"v2_22k_joint", 25, 576, 594},
          Case{"v25_8k_stereo", 11, 576, 960}}) {
        SCOPED_TRACE(c.name);
        const auto file = readBytes(fixturePath(std::string(c.name) + ".mp3"));
        Mp3LameTag tag;
        ASSERT_TRUE(parseLameTag(file.data(), file.size(), tag));
        EXPECT_EQ(tag.frames, c.frames);
        EXPECT_EQ(tag.delay, c.delay);
        EXPECT_EQ(tag.padding, c.padding);
    }
}

// Every byte up to the CRC is covered: a change anywhere, or a frame cut
// short, and the extension is not believed.
TEST(LameTag, RejectsAnyChangedByteAndShortOrMissingExtensions) {
    const auto file = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    const size_t crcEnd = lameTagOffset(file.data(), file.size()) + kLameTagBytes;
    ASSERT_EQ(crcEnd, 192u);  // 190 bytes of MPEG-1 stereo frame, then the CRC
    Mp3LameTag tag;
    for (size_t i = 0; i < crcEnd; ++i) {
        auto changed = file;
        changed[i] ^= 0x5A;
        EXPECT_FALSE(parseLameTag(changed.data(), changed.size(), tag)) << "byte " << i;
    }
    EXPECT_FALSE(parseLameTag(file.data(), crcEnd - 1, tag));
    const auto vbri = readBytes(fixturePath("v1_44k_vbri.mp3"));
    EXPECT_FALSE(parseLameTag(vbri.data(), vbri.size(), tag));
    const auto noHeader = readBytes(fixturePath("v2_24k_mono.mp3"));
    EXPECT_FALSE(parseLameTag(noHeader.data(), noHeader.size(), tag));
}

TEST(Gapless, CutsOfLameTagsAndOfOurVbriDelay) {
    auto lame = readBytes(fixturePath("v1_44k_joint_128.mp3"));
    auto g = gaplessOf(lame.data(), lame.size());
    ASSERT_TRUE(g);
    EXPECT_EQ(g->start, 576u + 529);
    EXPECT_EQ(g->end, 612u - 529);
    EXPECT_EQ(g->samples, 24u * 1152 - 576 - 612);
    // A padding the decoder's delay swallows leaves the end whole.
    setDelayAndPadding(lame, 576, 300);
    g = gaplessOf(lame.data(), lame.size());
    ASSERT_TRUE(g);
    EXPECT_EQ(g->end, 0u);

    auto vbri = readBytes(fixturePath("v1_44k_vbri.mp3"));
    Mp3VbriHeader header;
    ASSERT_TRUE(parseVbriHeader(vbri.data(), vbri.size(), header));
    const auto withDelay = [&](uint32_t delay) {
        vbri[42] = static_cast<uint8_t>(delay >> 8);
        vbri[43] = static_cast<uint8_t>(delay);
        return gaplessOf(vbri.data(), vbri.size()).value();
    };
    const Mp3Gapless ours = withDelay(1152 + 528);
    EXPECT_EQ(ours.start, 528u + 529);
    EXPECT_EQ(ours.end, 0u);
    EXPECT_EQ(ours.samples, header.frames * 1152u - 1057);
    EXPECT_EQ(withDelay(576).start, 0u);

    const auto plain = readBytes(fixturePath("v2_24k_mono.mp3"));
    EXPECT_FALSE(gaplessOf(plain.data(), plain.size()));
}

}  // namespace
