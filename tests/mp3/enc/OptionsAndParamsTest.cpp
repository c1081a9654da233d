#include <gtest/gtest.h>

#include "mp3/enc/CodingParams.h"
#include "mp3/enc/OptionConfig.h"
#include "mp3/enc/PsyParams.h"

namespace mp3::enc {
namespace {

TEST(OptionConfigTest, ReadersKeepDefaultsAndCheckRangesAndCounts) {
    OptionConfig o;
    int value = 7;
    EXPECT_EQ(o.readInt("amp", 0, 3, "amplify mode", "", value), nullptr);
    EXPECT_EQ(value, 7);
    o.add("amp", "4");
    auto e = o.readInt("amp", 0, 3, "amplify mode", "", value);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->message, "At parameter amp: Range Check failed");
    EXPECT_EQ(value, 7);
    o.add("pair", "1 2 3");
    int pair[2] = {};
    EXPECT_EQ(o.readInts("pair", 2, 0, 9, "", "", pair)->message,
              "At parameter pair: Too many arguments in configuration");
    o.add("pair", "1");
    EXPECT_EQ(o.readInts("pair", 2, 0, 9, "", "", pair)->message,
              "At parameter pair: Too few arguments in configuration");
    o.add("f", "abc");
    float f = 0;
    EXPECT_EQ(o.readFloat("f", 0, 1, "", "", f)->message, "At parameter f: Range Check failed");
    bool on = false;
    o.add("hfs");
    EXPECT_EQ(o.readSwitch("hfs", "", "", on), nullptr);
    EXPECT_TRUE(on);
}

TEST(OptionConfigTest, TwoConfigurationsAreIndependent) {
    OptionConfig a, b;
    a.add("mol", "400");
    int mol = 14;
    EXPECT_EQ(b.readInt("mol", 1, 1000, "", "", mol), nullptr);
    EXPECT_EQ(mol, 14);
}

TEST(OptionConfigTest, HelpModePrintsUsageLines) {
    const std::string help = psyOptionsHelp();
    EXPECT_NE(help.find("-amp int\t\tamplify mode\n"), std::string::npos);
    EXPECT_NE(help.find("-hfs\t\t\thuffman full search\n"), std::string::npos);
    EXPECT_NE(help.find("-NMT float\t\tNoise masking tone for long blocks"), std::string::npos);
    EXPECT_NE(help.find("0 = iso, 1 = never, 2 = always"), std::string::npos);
}

TEST(CodingParamsTest, LookupInterpolatesTheBandwidth) {
    CodingParams p;
    ASSERT_EQ(lookupCodingParams(128000, 44100, 2, 0, p), nullptr);
    EXPECT_NEAR(p.bandwidth, 18181.8f, 0.1f);
    EXPECT_EQ(p.peMin, 1000);
    EXPECT_EQ(p.peMax, 1800);
    EXPECT_FLOAT_EQ(p.minBitSpend, -0.1f);
    EXPECT_FLOAT_EQ(p.maxBitSpend, 0.4f);
    ASSERT_EQ(lookupCodingParams(64000, 22050, 2, 2, p), nullptr);
    EXPECT_FLOAT_EQ(p.bandwidth, 11025.0f);  // 12000 held to half the rate
    EXPECT_EQ(p.peMin, 1200);
    EXPECT_EQ(p.peMax, 2000);
    EXPECT_FLOAT_EQ(p.maxBitSpend, 1.3f);
    ASSERT_EQ(lookupCodingParams(64000, 24000, 2, 0, p), nullptr);
    EXPECT_FLOAT_EQ(p.bandwidth, 12000.0f);
    ASSERT_EQ(lookupCodingParams(20000, 44100, 1, 0, p), nullptr);
    EXPECT_FLOAT_EQ(p.bandwidth, 5000.0f + 2500.0f * 4000 / 8000);  // mono column
}

TEST(CodingParamsTest, MissingRowsAndBlockTypesFail) {
    CodingParams p;
    auto e = lookupCodingParams(8000, 44100, 2, 0, p);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->message.find("no parameter set found"), std::string::npos);
    EXPECT_EQ(lookupCodingParams(128000, 44100, 2, 4, p)->message, "invalid block type parameter");
}

TEST(PsyParamsTest, OptionsOverrideTheParameterSets) {
    OptionConfig o;
    PsyParams p;
    ASSERT_EQ(buildPsyParams(o, 128000, 44100, 2, p), nullptr);
    EXPECT_NEAR(p.bandwidth, 18181.8f, 0.1f);
    o.add("bw", "15000");
    o.add("peMin", "500");
    o.add("blm", "1");
    ASSERT_EQ(buildPsyParams(o, 128000, 44100, 2, p), nullptr);
    EXPECT_FLOAT_EQ(p.bandwidth, 15000.0f);
    EXPECT_EQ(p.longBlock.peMin, 500);
    EXPECT_EQ(p.shortBlock.peMin, 1000);
    EXPECT_EQ(p.blockSwitchMode, 1);
    o.add("CHAOS_METHOD", "5");
    EXPECT_EQ(buildPsyParams(o, 128000, 44100, 2, p)->message,
              "At parameter CHAOS_METHOD: Range Check failed");
}

}  // namespace
}  // namespace mp3::enc
