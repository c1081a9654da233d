#include <gtest/gtest.h>

#include "app/RecordingSizes.h"

namespace app {
namespace {

TEST(RecordingSizesTest, SizesTakeTheirUnitAndOneDecimalBelowAHundred) {
    const std::pair<int64_t, const char*> cases[] = {
        {-1, "-1.0B"},
        {0, "0.0B"},
        {99, "99.0B"},
        {1023, "1023B"},
        {1536, "1.5KB"},
        {150 * 1048576LL, "150MB"},
        {1048575, "1024KB"},
        {3LL * 1073741824 / 2, "1.5GB"},
        {200LL * 1073741824, "200GB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(recordingSizeText(bytes), text) << bytes;
    }
}

TEST(RecordingSizesTest, EstimatesFollowTheBitRateAndLengthsShowMinutes) {
    EXPECT_EQ(estimatedRecordingSize(128000, 60), 128 * 60 * 1024 / 8);
    EXPECT_EQ(estimatedRecordingSize(1411200, 10), 1411 * 10 * 1024 / 8);
    EXPECT_EQ(estimatedRecordingSize(0, 300), 0);
    EXPECT_EQ(recordingLengthText(0), "00:00");
    EXPECT_EQ(recordingLengthText(3725), "62:05");
}

}  // namespace
}  // namespace app
