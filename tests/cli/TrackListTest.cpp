#include "cli/TrackList.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using cli::parseTrackList;

TEST(TrackList, NumbersAndRangesMergeInOrderAndBadListsAreRefused) {
    EXPECT_EQ(parseTrackList("1,3-5", 10), (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(parseTrackList("5,2-3,3,1-2", 5), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(parseTrackList("99", 99), std::vector<int>{99});
    for (const char* bad :
         {"", ",", "1,", "0", "-1", "1-", "a", "1.5", " 1", "3-2", "1-2-3", "99999999999", "11"}) {
        EXPECT_THROW(parseTrackList(bad, 10), std::invalid_argument) << bad;
    }
}

}  // namespace
