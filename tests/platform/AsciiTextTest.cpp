#include "platform/AsciiText.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(AsciiText, FoldsAndTrimsAsciiOnlyAndLeavesMultibyteTextAlone) {
    EXPECT_EQ(toLowerAscii("ÄBC Ünï 日本 XYZ"), "Äbc Ünï 日本 xyz");
    EXPECT_TRUE(equalsIgnoreCase("/Music/A.MP3", "/music/a.mp3"));
    EXPECT_FALSE(equalsIgnoreCase("Ä", "ä"));
    EXPECT_FALSE(equalsIgnoreCase("abc", "abcd"));
    EXPECT_TRUE(startsWithIgnoreCase("VARIOUS Artists", "various"));
    EXPECT_FALSE(startsWithIgnoreCase("Vari", "various"));

    const struct {
        std::string_view text, front, back, both;
    } cases[] = {
        {" \tkey = v \t", "key = v \t", " \tkey = v", "key = v"},
        {" \t ", "", "", ""},
        {"", "", "", ""},
        {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // no-break space is not ASCII
        {"x\r", "x\r", "x\r", "x\r"},                          // CR only when asked for
    };
    for (const auto& c : cases) {
        EXPECT_EQ(trimFront(c.text), c.front) << c.text;
        EXPECT_EQ(trimBack(c.text), c.back) << c.text;
        EXPECT_EQ(trim(c.text), c.both) << c.text;
    }
    EXPECT_EQ(trim(" x\r\n", " \t\r\n"), "x");
    EXPECT_EQ(trimBack("name. .", " ."), "name");
}

}  // namespace
