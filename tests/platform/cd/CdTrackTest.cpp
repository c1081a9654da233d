#include "platform/cd/CdTrack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "CdImage.h"
#include "FakeDisc.h"

using namespace platform::cd;
using cdtest::CdImage;
using cdtest::FakeDisc;
using cdtest::TempDir;

namespace {

Toc tocOf(std::vector<TocTrack> tracks, uint32_t leadOut) {
    Toc toc;
    toc.tracks = std::move(tracks);
    toc.leadOut = leadOut;
    return toc;
}

std::unique_ptr<CdTrack> openFake(Toc toc, int track, int failures = 0, int* attempts = nullptr) {
    CdError error = CdError::None;
    auto opened =
        CdTrack::open(std::make_unique<FakeDisc>(std::move(toc), failures, attempts), track, error);
    EXPECT_EQ(error, opened ? CdError::None : error);
    return opened;
}

// Reads a whole track the way the reader does: 27 sectors at a time.
std::vector<uint8_t> readAll(CdTrack& track, uint32_t from,
                             std::vector<uint32_t>* counts = nullptr) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> buffer(CdTrack::kSectorsPerRead * kSectorBytes);
    for (uint32_t sector = from;;) {
        const auto n = track.read(sector, CdTrack::kSectorsPerRead, buffer);
        EXPECT_TRUE(n.has_value());
        if (!n || *n == 0) {
            return all;
        }
        if (counts != nullptr) {
            counts->push_back(*n);
        }
        all.insert(all.end(), buffer.begin(), buffer.begin() + *n * kSectorBytes);
        sector += *n;
    }
}

DriveListOptions imageDrive(const CdImage& image) {
    DriveListOptions options;
    options.devices = false;
    options.images = {image.cuePath().string()};
    return options;
}

}  // namespace

TEST(CdTrack, LengthCountsWholeSecondsOnly) {
    const Toc toc =
        tocOf({{1, true, 0, 13500}, {2, true, 13500, 13574}, {3, true, 27074, 74}}, 27148);
    EXPECT_EQ(openFake(toc, 1)->lengthMs(), 180000u);  // three minutes
    EXPECT_EQ(openFake(toc, 2)->lengthMs(), 180000u);  // 180.98 s
    EXPECT_EQ(openFake(toc, 3)->lengthMs(), 0u);       // under a second
}

// Data tracks and tracks not on the disc are refused; a table that leaves a
// track nothing to read (its end past the lead-out) fails on open, never as
// an empty rip that reports success.
TEST(CdTrack, RefusesDataTracksMissingTracksAndTracksWithoutSectors) {
    const Toc toc = tocOf({{1, true, 0, 100}, {2, false, 100, 100}}, 200);
    CdError error = CdError::None;
    EXPECT_EQ(CdTrack::open(std::make_unique<FakeDisc>(toc), 2, error), nullptr);
    EXPECT_EQ(error, CdError::BadTrack);
    EXPECT_EQ(CdTrack::open(std::make_unique<FakeDisc>(toc), 3, error), nullptr);
    EXPECT_EQ(error, CdError::BadTrack);
    EXPECT_EQ(CdTrack::open(std::make_unique<FakeDisc>(toc), 0, error), nullptr);
    EXPECT_EQ(CdTrack::open(nullptr, 1, error), nullptr);
    EXPECT_EQ(error, CdError::NoDisc);
    const Toc cutShort = tocOf({{1, true, 0, 100}, {2, true, 100, 50}}, 100);
    EXPECT_EQ(CdTrack::open(std::make_unique<FakeDisc>(cutShort), 2, error), nullptr);
    EXPECT_EQ(error, CdError::ReadFailed);
}

// Tracks go by the disc's own numbers, whatever their position.
TEST(CdTrack, OpensTracksByTheDiscsNumbers) {
    const Toc toc = tocOf({{5, true, 0, 100}, {6, true, 100, 50}}, 150);
    EXPECT_EQ(openFake(toc, 6)->firstSector(), 100u);
    EXPECT_EQ(openFake(toc, 5)->sectorCount(), 100u);
    CdError error = CdError::None;
    EXPECT_EQ(CdTrack::open(std::make_unique<FakeDisc>(toc), 1, error), nullptr);
    EXPECT_EQ(error, CdError::BadTrack);
}

TEST(CdTrack, TriesAFailingReadTenTimesInAll) {
    const Toc toc = tocOf({{1, true, 0, 100}}, 100);
    std::vector<uint8_t> buffer(CdTrack::kSectorsPerRead * kSectorBytes);

    int attempts = 0;
    auto nineFailures = openFake(toc, 1, 9, &attempts);
    EXPECT_EQ(nineFailures->read(0, CdTrack::kSectorsPerRead, buffer), 27u);
    EXPECT_EQ(attempts, 10);
    EXPECT_EQ(buffer[26 * kSectorBytes], 26);

    attempts = 0;
    auto tenFailures = openFake(toc, 1, 10, &attempts);
    EXPECT_EQ(tenFailures->read(0, CdTrack::kSectorsPerRead, buffer), std::nullopt);
    EXPECT_EQ(attempts, 10);
}

TEST(CdTrack, NeverReadsPastTheTrackEnd) {
    // The table claims more than the lead-out allows: the lead-out wins.
    const Toc toc = tocOf({{1, true, 10, 50}, {2, true, 60, 100}}, 120);
    auto first = openFake(toc, 1);
    EXPECT_EQ(first->endSector(), 60u);
    std::vector<uint32_t> counts;
    EXPECT_EQ(readAll(*first, 10, &counts).size(), 50u * kSectorBytes);
    EXPECT_EQ(counts, (std::vector<uint32_t>{27, 23}));

    auto second = openFake(toc, 2);
    EXPECT_EQ(second->endSector(), 120u);
    std::vector<uint8_t> small(kSectorBytes);
    EXPECT_EQ(second->read(59, 1, small), std::nullopt);  // before the track
    EXPECT_EQ(second->read(60, 2, small), std::nullopt);  // buffer too small
    EXPECT_EQ(second->read(119, 27, small), 1u);          // clamped to what is left
    EXPECT_EQ(second->read(120, 27, small), 0u);
}

class CdTrackImage : public ::testing::TestWithParam<ReadMode> {};

TEST_P(CdTrackImage, ReadsEveryTrackByteExactlyAndAfterSeeking) {
    TempDir dir;
    const CdImage image(dir.path(), {{true, 100}, {true, 163}, {false, 40}});
    const DriveList drives(imageDrive(image));
    CdError error = CdError::None;
    auto track = CdTrack::open(drives, 'D' - 'A', 2, GetParam(), error);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->firstSector(), 100u);
    EXPECT_EQ(track->sectorCount(), 163u);
    EXPECT_EQ(track->lengthMs(), 2000u);

    std::vector<uint32_t> counts;
    EXPECT_EQ(readAll(*track, track->firstSector(), &counts), image.trackBytes(2));
    EXPECT_EQ(counts.back(), 163u % 27u);

    // Back to the middle, as a seek does, then on to the end.
    const std::vector<uint8_t> whole = image.trackBytes(2);
    const std::vector<uint8_t> tail(whole.begin() + 75 * kSectorBytes, whole.end());
    EXPECT_EQ(readAll(*track, track->firstSector() + 75), tail);
}

TEST_P(CdTrackImage, RefusesDataTrackAndUnknownDrive) {
    TempDir dir;
    const CdImage image(dir.path(), {{true, 30}, {false, 30}});
    const DriveList drives(imageDrive(image));
    CdError error = CdError::None;
    EXPECT_EQ(CdTrack::open(drives, 'D' - 'A', 2, GetParam(), error), nullptr);
    EXPECT_EQ(error, CdError::BadTrack);
    EXPECT_EQ(CdTrack::open(drives, 'E' - 'A', 1, GetParam(), error), nullptr);
    EXPECT_EQ(error, CdError::NoSuchDrive);
}

// A sheet whose tracks are out of order: the numbers the table of contents
// lists are the ones tracks open by, and each reads its own sectors.
TEST_P(CdTrackImage, OutOfOrderSheetHasOneNumbering) {
    TempDir dir;
    const CdImage image(dir.path(), {{true, 75}, {true, 75}, {true, 90}});
    std::ofstream(image.cuePath()) << "FILE \"disc.bin\" BINARY\n"
                                      "  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"
                                      "  TRACK 01 AUDIO\n    INDEX 01 00:01:00\n"
                                      "  TRACK 03 AUDIO\n    INDEX 01 00:02:00\n";
    const DriveList drives(imageDrive(image));
    const auto disc = drives.drives().front().openDisc(GetParam());
    ASSERT_NE(disc, nullptr);
    for (size_t i = 0; i < disc->toc().tracks.size(); ++i) {
        const TocTrack& listed = disc->toc().tracks[i];
        CdError error = CdError::None;
        auto track = CdTrack::open(drives, 'D' - 'A', listed.number, GetParam(), error);
        ASSERT_NE(track, nullptr) << listed.number;
        EXPECT_EQ(track->firstSector(), listed.firstSector);
        EXPECT_EQ(readAll(*track, track->firstSector()), image.trackBytes(static_cast<int>(i) + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, CdTrackImage,
                         ::testing::Values(ReadMode::Plain, ReadMode::Verified),
                         [](const auto& param) {
                             return param.param == ReadMode::Plain ? "Plain" : "Verified";
                         });
