#include "tags/LegacyText.h"

#include <gtest/gtest.h>

namespace {

using tags::latin1FieldToUtf8;

TEST(LegacyText, JapaneseRipperTextIsReadAsCp932) {
    // 夜明けのうた: kanji and hiragana, pairs of two non-ASCII bytes.
    EXPECT_EQ(latin1FieldToUtf8("\x96\xe9\x96\xbe\x82\xaf\x82\xcc\x82\xa4\x82\xbd"),
              "夜明けのうた");
    // アイス: katakana whose second bytes are ASCII letters.
    EXPECT_EQ(latin1FieldToUtf8("\x83\x41\x83\x43\x83\x58"), "アイス");
    // Mixed with ASCII and half-width katakana.
    EXPECT_EQ(latin1FieldToUtf8("Live \x93\x8c\x8b\x9e \xb1\xb2"), "Live 東京 ｱｲ");
    EXPECT_TRUE(tags::isLikelyCp932("\x93\x8c\x8b\x9e"));
}

TEST(LegacyText, AsciiUtf8AndEuropeanTextStayWhatTheyAre) {
    EXPECT_EQ(latin1FieldToUtf8("Plain title"), "Plain title");
    EXPECT_FALSE(tags::isLikelyCp932("Plain title"));
    // UTF-8 in a frame that claims ISO-8859-1.
    EXPECT_EQ(latin1FieldToUtf8("夜明け"), "夜明け");
    EXPECT_FALSE(tags::isLikelyCp932("夜明け"));
    // Accents ending the text, before a blank, from the user-defined area,
    // or before an ASCII letter (a rare kanji in CP932).
    EXPECT_EQ(latin1FieldToUtf8("Caf\xe9"), "Café");
    EXPECT_EQ(latin1FieldToUtf8("Cr\xe8me br\xfbl\xe9"
                                "e"),
              "Crème brûlée");
    EXPECT_EQ(latin1FieldToUtf8("Mot\xf6rhead"), "Motörhead");
    EXPECT_EQ(latin1FieldToUtf8("\xc9tude \xe0 l'\xe9t\xe9"), "Étude à l'été");
    EXPECT_EQ(latin1FieldToUtf8("Don\x92t"), "Don\xc2\x92t");
    // Bytes CP932 does not define (0x85 0x40) are not CP932.
    EXPECT_FALSE(tags::isLikelyCp932("\x85\x40\x85\x41"));
}

}  // namespace
