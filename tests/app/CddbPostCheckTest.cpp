#include "app/CddbPostCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(CddbPostCheck, NeedsAnAddressAndADiscTitle) {
    cdinfo::CDiscID disc;
    disc.title = "  ";
    EXPECT_EQ(app::postProblem("me.example.org", disc), app::PostProblem::MailAddress);
    EXPECT_EQ(app::postProblem("me@example.org", disc), app::PostProblem::DiscTitle);
    disc.title = "Album";
    EXPECT_EQ(app::postProblem("me@example.org", disc), app::PostProblem::None);
}

// Half-width katakana are single bytes in the double-byte code; kanji,
// full-width letters and accented Latin letters are not.
TEST(CddbPostCheck, FindsDoubleByteTextAnywhereOnTheDisc) {
    EXPECT_FALSE(app::hasDoubleByte("Plain ASCII ~"));
    EXPECT_FALSE(app::hasDoubleByte("ｱﾙﾊﾞﾑ｡ﾟ"));
    EXPECT_TRUE(app::hasDoubleByte("ｱﾙﾊﾞﾑ一"));
    EXPECT_TRUE(app::hasDoubleByte("ＡＢ"));
    EXPECT_TRUE(app::hasDoubleByte("Café"));

    cdinfo::CDiscID disc;
    disc.title = "Album";
    disc.tracks.resize(2);
    EXPECT_FALSE(app::discHasDoubleByte(disc));
    disc.tracks[1].extra = "ライブ";
    EXPECT_TRUE(app::discHasDoubleByte(disc));
}

}  // namespace
