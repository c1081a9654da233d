#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mp3/Mp3FrameHeader.h"
#include "mp3/Mp3VbrHeaders.h"
#include "mp3/enc/Mp3WriterSettings.h"
#include "mp3/enc/VbriWriter.h"

namespace mp3::enc {
namespace {

TEST(VbriWriterTest, HeaderFrameIsTheSmallestFrameThatHoldsTheTable) {
    VbriWriter w(44100, 2, true, false, false);
    EXPECT_EQ(w.frameBytes(), 522);  // 160 kbit/s, MPEG-1
    std::vector<uint8_t> frame(600);
    ASSERT_EQ(w.build(frame.data(), frame.size()), 522u);
    Mp3FrameHeader h;
    ASSERT_TRUE(
        decodeMp3Header(uint32_t{frame[0]} << 24 | frame[1] << 16 | frame[2] << 8 | frame[3], h));
    EXPECT_EQ(h.bitrate, 160000u);
    EXPECT_EQ(h.copyright, 1u);
    EXPECT_EQ(h.padding, 0u);
    EXPECT_EQ(h.crcPresent, 0u);
    EXPECT_EQ(w.build(frame.data(), 521), 0u);
    EXPECT_EQ(VbriWriter(22050, 1, false, false, false).frameBytes(), 470);  // 144 kbit/s
    EXPECT_EQ(VbriWriter(16000, 2, false, false, false).frameBytes(), 504);
}

TEST(VbriWriterTest, TableThinsToStayUniformAndCountsEveryFrame) {
    VbriWriter w(44100, 2, false, false, false);
    w.setDelay(1152 + 528);
    w.setQuality(80);
    uint64_t total = 522;
    std::vector<uint64_t> starts;  // offset of each frame from the header's start
    for (int i = 0; i < 1000; ++i) {
        starts.push_back(total);
        const int bytes = 300 + (i * 37) % 700;
        w.addFrame(bytes);
        total += static_cast<uint64_t>(bytes);
    }
    EXPECT_LT(w.entries().size(), static_cast<size_t>(VbriWriter::kMaxEntries));
    EXPECT_EQ(w.spacing(), 8);  // doubled at 200 entries of 1, 2 and 4 frames
    std::vector<uint8_t> frame(522);
    ASSERT_EQ(w.build(frame.data(), frame.size()), 522u);
    Mp3VbriHeader h;
    ASSERT_TRUE(parseVbriHeader(frame.data(), frame.size(), h));
    EXPECT_EQ(h.frames, 1000u);
    EXPECT_EQ(h.bytes, total);
    EXPECT_EQ(h.delay, 1680u);
    EXPECT_EQ(h.quality, 80u);
    EXPECT_EQ(h.framesPerEntry, 8u);
    EXPECT_EQ(h.entries, 125u);
    for (uint32_t i = 1; i < h.entries; ++i) {
        // Entry i leads to the start of frame i * spacing.
        EXPECT_EQ(h.toc[i], starts[i * 8]) << i;
    }
}

TEST(VbriWriterTest, LongStreamsScaleTheirDifferences) {
    VbriWriter w(48000, 2, false, false, false);
    for (int i = 0; i < 200000; ++i) {
        w.addFrame(1044);
    }
    std::vector<uint8_t> frame(w.frameBytes());
    ASSERT_GT(w.build(frame.data(), frame.size()), 0u);
    Mp3VbriHeader h;
    ASSERT_TRUE(parseVbriHeader(frame.data(), frame.size(), h));
    EXPECT_GT(h.scale, 1u);
    const uint64_t expected =
        static_cast<uint64_t>(w.frameBytes()) + uint64_t{1044} * h.framesPerEntry * 50;
    EXPECT_NEAR(static_cast<double>(h.toc[50]), static_cast<double>(expected), h.scale);
}

class MemoryStore : public IMp3SettingsStore {
  public:
    std::optional<uint32_t> readValue(std::string_view name) const override {
        const auto it = values.find(std::string(name));
        return it == values.end() ? std::nullopt : std::optional<uint32_t>(it->second);
    }
    bool writeValue(std::string_view name, uint32_t value) override {
        values[std::string(name)] = value;
        return true;
    }
    std::map<std::string, uint32_t> values;
};

TEST(Mp3WriterSettingsTest, DescribeTexts) {
    Mp3WriterSettings s;
    EXPECT_EQ(s.describe(), "MP3 128Kbps 44100Hz Stereo");
    s.vbrMode = 1;
    for (const int q : {10, 130}) {
        s.vbrQuality = q;
        EXPECT_EQ(s.describe(), "MP3 VBR (Moderate Compression)");
    }
    s.vbrQuality = 100;
    EXPECT_EQ(s.describe(), "MP3 VBR (Highest Quality)");
    char small[8];
    s.describe(small, sizeof small);
    EXPECT_STREQ(small, "MP3 VBR");
}

TEST(Mp3WriterSettingsTest, LoadAndSaveRules) {
    MemoryStore store;
    store.values = {{"VbrMode", 1}, {"SampleRate", 22050}, {"OriginalBit", 1}, {"allowMidside", 1}};
    Mp3WriterSettings s;
    s.load(store);
    EXPECT_EQ(s.vbrMode, 1);
    EXPECT_EQ(s.sampleRate, 44100);  // the format is not read in VBR mode
    EXPECT_EQ(s.originalBit, 1);
    s.originalBit = 0;
    s.allowMidside = 0;
    ASSERT_TRUE(s.save(store));
    EXPECT_EQ(store.values["OriginalBit"], 1u);  // never written: a value set by hand survives
    EXPECT_EQ(store.values["allowMidside"], 1u);
    EXPECT_EQ(store.values["Bitrate"], 128000u);
    EXPECT_EQ(store.values.count("allowIntensity"), 0u);
}

TEST(Mp3WriterSettingsTest, CompareCloneSnapAndSuits) {
    Mp3WriterSettings a, b;
    b.originalBit = 1;
    EXPECT_TRUE(a.sameAs(b));
    b.copyrightBit = 1;
    EXPECT_FALSE(a.sameAs(b));
    EXPECT_EQ(b.clone().originalBit, 1);
    EXPECT_EQ(snapSampleRate(7000), 8000);
    EXPECT_EQ(snapSampleRate(96000), 48000);
    EXPECT_EQ(snapSampleRate(44099), 32000);
    EXPECT_EQ(snapSampleRate(22050), 22050);
    EXPECT_TRUE(a.suits(44100, 2));
    a.sampleRate = 32000;  // not offered at the fast quality for a 44100 Hz input
    EXPECT_FALSE(a.suits(44100, 2));
    a.quality = 2;
    a.bitrate = 96000;  // its row reaches from 32000 to 44100 Hz
    EXPECT_TRUE(a.suits(44100, 2));
    a.vbrMode = 1;
    EXPECT_TRUE(a.suits(8000, 1));
    EXPECT_EQ(vbrQualityIndex(60), 2);
    EXPECT_EQ(formatListText(8000, 8000, 1), "  8Kbps  8000Hz Mono");
}

}  // namespace
}  // namespace mp3::enc
