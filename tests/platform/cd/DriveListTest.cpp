#include "platform/cd/DriveList.h"

#include <gtest/gtest.h>

#include <fstream>

#include "CdImage.h"

using namespace platform::cd;
using cdtest::CdImage;
using cdtest::TempDir;

namespace {

DriveListOptions imagesOnly(std::vector<std::string> images) {
    DriveListOptions options;
    options.devices = false;
    options.images = std::move(images);
    return options;
}

}  // namespace

TEST(DriveList, LettersImagesFromDInOrderAndFindsThemEveryWay) {
    const DriveList list(imagesOnly({"/x/a.cue", "/x/b.cue"}));
    ASSERT_EQ(list.drives().size(), 2u);
    EXPECT_EQ(list.drives()[0].letter(), 'D');
    EXPECT_EQ(list.drives()[0].number(), 3);
    EXPECT_EQ(list.drives()[1].letter(), 'E');
    EXPECT_EQ(list.drives()[1].displayName(), "E: /x/b.cue");

    EXPECT_EQ(list.findByNumber(4)->path(), "/x/b.cue");
    EXPECT_EQ(list.findByLetter('e')->path(), "/x/b.cue");
    EXPECT_EQ(list.find("E:")->letter(), 'E');
    EXPECT_EQ(list.find("e:\\Track05.cda")->letter(), 'E');
    EXPECT_EQ(list.find("E: /x/b.cue")->letter(), 'E');
    EXPECT_EQ(list.find("")->letter(), 'D');  // automatic choice
    EXPECT_EQ(list.findByLetter('C'), nullptr);
    EXPECT_EQ(list.findByNumber(5), nullptr);
    EXPECT_EQ(list.find("/dev/sr0"), nullptr);
}

TEST(DriveList, StopsAtZAndSplitsImageListsSkippingBlanks) {
    std::vector<std::string> many(30, "/x/a.cue");
    const DriveList list(imagesOnly(many));
    EXPECT_EQ(list.drives().size(), 23u);
    EXPECT_EQ(list.drives().back().letter(), 'Z');
    EXPECT_EQ(splitImageList("/a.cue::/b c.cue: ", ':'),
              (std::vector<std::string>{"/a.cue", "/b c.cue"}));
    EXPECT_EQ(splitImageList(" /a.cue\r\n\n/b.cue\n", '\n'),
              (std::vector<std::string>{"/a.cue", "/b.cue"}));
    EXPECT_TRUE(splitImageList("", ':').empty());
}

TEST(CdDrive, ImageDriveReadsTheTableOfContents) {
    TempDir dir;
    const CdImage image(dir.path(), {{true, 200}, {true, 225}, {false, 100}});
    const CdDrive drive('D', CdDrive::Kind::Image, image.cuePath().string());
    const auto disc = drive.openDisc(ReadMode::Plain);
    ASSERT_NE(disc, nullptr);
    const Toc& toc = disc->toc();
    std::string tracks;  // number, audio or data, first sector + count
    for (const TocTrack& t : toc.tracks) {
        tracks += std::to_string(t.number) + (t.audio ? "a" : "d") + std::to_string(t.firstSector) +
                  "+" + std::to_string(t.sectorCount) + " ";
    }
    EXPECT_EQ(tracks, "1a0+200 2a200+225 3d425+100 ");
    EXPECT_EQ(toc.leadOut, 525u);
    EXPECT_TRUE(toc.hasAudio());
    EXPECT_FALSE(drive.eject());  // an image has no tray
    EXPECT_FALSE(drive.canWrite());
}

TEST(CdDrive, MissingOrBrokenImageIsAnEmptyDrive) {
    TempDir dir;
    const CdDrive missing('D', CdDrive::Kind::Image, (dir.path() / "none.cue").string());
    EXPECT_EQ(missing.openDisc(ReadMode::Plain), nullptr);

    const auto broken = dir.path() / "broken.cue";
    std::ofstream(broken) << "FILE \"nothing.bin\" BINARY\n  TRACK 01 AUDIO\n";
    const CdDrive drive('D', CdDrive::Kind::Image, broken.string());
    EXPECT_EQ(drive.openDisc(ReadMode::Verified), nullptr);
}

// An image whose data file is empty or too short for its sheet is no disc,
// so nothing rips "successfully" into an empty file.
TEST(CdDrive, ImageWithoutDataForItsTracksIsAnEmptyDrive) {
    TempDir dir;
    const CdImage image(dir.path(), {{true, 100}, {true, 100}});
    const auto bin = dir.path() / "disc.bin";
    const CdDrive drive('D', CdDrive::Kind::Image, image.cuePath().string());

    std::filesystem::resize_file(bin, 150 * 2352);  // the second track cut short
    const auto shortened = drive.openDisc(ReadMode::Plain);
    ASSERT_NE(shortened, nullptr);
    EXPECT_EQ(shortened->toc().tracks.at(1).sectorCount, 50u);

    std::filesystem::resize_file(bin, 100 * 2352);  // nothing of the second track
    EXPECT_EQ(drive.openDisc(ReadMode::Plain), nullptr);
    std::filesystem::resize_file(bin, 0);
    EXPECT_EQ(drive.openDisc(ReadMode::Plain), nullptr);
}
