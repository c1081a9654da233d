#include "tags/TagGenre.h"

#include <gtest/gtest.h>

#include "tags/ExtendedTags.h"

namespace {

TEST(TagGenre, NumbersNamesAndRefinementsMapOntoTheTable) {
    EXPECT_EQ(tags::genreNumber("17"), 17);
    EXPECT_EQ(tags::genreNumber("(17)"), 17);
    EXPECT_EQ(tags::genreNumber("(17)Rock"), 17);
    EXPECT_EQ(tags::genreNumber("rock"), 17);
    EXPECT_EQ(tags::genreNumber("(120)"), 120);
    // Names of the extended list, numbered as genre.dat numbers them.
    EXPECT_EQ(tags::genreNumber("Folk"), 80);
    EXPECT_EQ(tags::genreNumber("Psybient"), 191);
    EXPECT_EQ(tags::genreNumber("Shoegaze of Tokyo"), tags::kNoGenre);
    EXPECT_EQ(tags::genreNumber(""), tags::kNoGenre);

    EXPECT_EQ(tags::genreText(17), "Rock");
    EXPECT_EQ(tags::genreText(80), "80");
}

}  // namespace
