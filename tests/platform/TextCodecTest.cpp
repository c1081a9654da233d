#include "platform/TextCodec.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(TextCodec, RoundTripsCp932AndReplacesWhatItCannotVisibly) {
    const std::string utf8 = "あいう ABC 漢字";
    const std::string cp = utf8ToCp932(utf8);
    EXPECT_EQ(cp, "\x82\xa0\x82\xa2\x82\xa4 ABC \x8a\xbf\x8e\x9a");
    EXPECT_EQ(cp932ToUtf8(cp), utf8);
    EXPECT_EQ(utf8ToCp932("a\xF0\x9F\x8E\xB5z"), "a?z");  // emoji has no CP932 code
    EXPECT_EQ(utf8ToCp932("a\xFFz"), "a?z");
    EXPECT_EQ(cp932ToUtf8("a\x82"), "a\xEF\xBF\xBD");  // lead byte cut off at the end
}

TEST(TextCodec, GuessesTheEncodingAndNeverSplitsACharacter) {
    EXPECT_TRUE(isValidUtf8("héllo"));
    EXPECT_FALSE(isValidUtf8("\x82\xa0"));
    EXPECT_FALSE(isValidUtf8("\xE3\x81"));
    EXPECT_EQ(toUtf8Guess("\x82\xa0"), "あ");
    EXPECT_EQ(toUtf8Guess("あ"), "あ");
    EXPECT_EQ(cp932Truncate("a\x82\xa0\x82\xa2", 4), "a\x82\xa0");
    EXPECT_EQ(cp932Truncate("a\x82\xa0\x82\xa2", 5), "a\x82\xa0\x82\xa2");
    EXPECT_EQ(cp932Truncate("a\x82", 5), "a");
    EXPECT_EQ(utf8Truncate("aあい", 5), "aあ");
    EXPECT_EQ(utf8Truncate("aあい", 3), "a");
    EXPECT_EQ(utf8Truncate("abc", 10), "abc");
}
