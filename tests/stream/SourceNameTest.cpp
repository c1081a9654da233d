#include "stream/SourceName.h"

#include <gtest/gtest.h>

using namespace nxss;

TEST(SourceName, SilenceExtensionAndCdTrackNames) {
    EXPECT_EQ(parseSilenceName("::SLNC2000"), 2000);
    EXPECT_EQ(parseSilenceName("::SLNC"), 0);
    EXPECT_EQ(parseSilenceName("::SLNC12ab"), 12);
    EXPECT_EQ(parseSilenceName("::SLNC-5"), -5);
    EXPECT_FALSE(parseSilenceName("::SLN"));  // shorter than six characters
    EXPECT_FALSE(parseSilenceName("::slnc100"));
    EXPECT_FALSE(parseSilenceName("x:SLNC100"));
    EXPECT_EQ(lowerExtension("/music/Song.MP3"), "mp3");
    EXPECT_EQ(lowerExtension("/music.d/song"), "");
    EXPECT_EQ(lowerExtension("D:\\Track5.CDA"), "cda");
    EXPECT_EQ(lowerExtension("a.tar.Wav"), "wav");
    const auto t = parseCdTrackName("D:\\Track05.cda");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->drive, 3);
    EXPECT_EQ(t->track, 5);
    EXPECT_EQ(parseCdTrackName("e:/TRACK99.cda")->drive, 4);
    EXPECT_EQ(parseCdTrackName("D:\\Track1.cda")->track, 1);
    EXPECT_FALSE(parseCdTrackName("D:\\Track00.cda"));
    EXPECT_FALSE(parseCdTrackName("D:\\Track100.cda"));
    EXPECT_FALSE(parseCdTrackName("D:\\Song.cda"));
    EXPECT_FALSE(parseCdTrackName("/cd/Track5.cda"));
}
