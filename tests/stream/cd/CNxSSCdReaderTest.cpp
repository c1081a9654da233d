#include "stream/cd/CNxSSCdReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "CdImage.h"
#include "FakeDisc.h"
#include "WaveFiles.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/CNxSSPcmConverter.h"
#include "stream/ResultCodes.h"

namespace {

using platform::cd::CdError;
using platform::cd::CdTrack;
using platform::cd::kSectorBytes;

platform::cd::DriveListOptions imageDrive(const cdtest::CdImage& image) {
    return {false, {image.cuePath().string()}};
}

// A reader on a fake disc of one audio track whose reads fail `failures`
// times first.
NxRef<CNxSSCdReader> fakeReader(uint32_t sectors, int failures = 0) {
    platform::cd::Toc toc;
    toc.tracks = {{1, true, 0, sectors}};
    toc.leadOut = sectors;
    CdError error = CdError::None;
    auto track = CdTrack::open(std::make_unique<cdtest::FakeDisc>(toc, failures), 1, error);
    auto reader = MakeNx<CNxSSCdReader>(nullptr, platform::cd::DriveListOptions{false, {}});
    reader->Open(std::move(track));
    return reader;
}

// A drive that takes its time: a read starts, then waits to be let go.
class SlowDisc : public cdtest::FakeDisc {
  public:
    SlowDisc(platform::cd::Toc toc, std::promise<void>& started, std::shared_future<void> go)
        : FakeDisc(std::move(toc)), started_(started), go_(std::move(go)) {}

    bool readSectors(uint32_t first, uint32_t count, std::span<uint8_t> out) override {
        started_.set_value();
        go_.wait();
        return FakeDisc::readSectors(first, count, out);
    }

  private:
    std::promise<void>& started_;
    std::shared_future<void> go_;
};

NxRef<CNxSSPacket> packetOf(uint32_t frames) {
    auto packet = MakeNx<CNxSSPacket>(nullptr);
    packet->Allocate(platform::WaveFormat::pcm(2, 44100, 16), frames);
    return packet;
}

TEST(CNxSSCdReader, ReadsATrackOfAnImageByteForByte) {
    cdtest::TempDir dir;
    cdtest::CdImage image(dir.path(), {{true, 300}, {true, 100}, {false, 200}});
    auto reader = MakeNx<CNxSSCdReader>(nullptr, imageDrive(image));
    reader->Open(3, 2);                    // drive D, track 2
    EXPECT_EQ(reader->GetLength(), 1000);  // 100 sectors = 1.33 s, in whole seconds

    EXPECT_EQ(wavetest::ReadAll(*reader, 5000), image.trackBytes(2));  // not whole sectors
    EXPECT_EQ(reader->GetPosition(), 1333);
}

TEST(CNxSSCdReader, UnknownDrivesDataTracksAndBadReadsFailWithTheirCodes) {
    cdtest::TempDir dir;
    cdtest::CdImage image(dir.path(), {{true, 100}, {false, 100}});
    auto reader = MakeNx<CNxSSCdReader>(nullptr, imageDrive(image));
    EXPECT_EQ(wavetest::ThrownCode([&] { reader->Open(4, 1); }), nxss::kNoSuchDrive);  // no drive E
    EXPECT_EQ(wavetest::ThrownCode([&] { reader->Open(3, 2); }), nxss::kCdReadError);
    auto packet = packetOf(588);
    EXPECT_EQ(wavetest::ThrownCode([&] { fakeReader(100, 10)->Read(*packet); }),
              nxss::kCdReadError);  // after ten tries
}

TEST(CNxSSCdReader, SeeksInWholeSecondsEvenBeforeTheFirstRead) {
    auto reader = fakeReader(750);  // 10 s
    EXPECT_EQ(reader->SetPosition(2500), 0);
    EXPECT_EQ(reader->GetPosition(), 2000);
    auto packet = packetOf(588);
    reader->Read(*packet);
    EXPECT_EQ(packet->Data()[0], 150);  // sector 150 is 2 s in (FakeDisc fills sector s with s)
    reader->SetPosition(99999);         // past the end: nothing left
    reader->Read(*packet);
    EXPECT_TRUE(packet->EndOfStream());
}

// A progress display asks through a writer's converter while the writer's
// thread waits for the drive: the answer must not wait with it.
TEST(CNxSSCdReader, PositionAndLengthDoNotWaitForADriveRead) {
    platform::cd::Toc toc;
    toc.tracks = {{1, true, 0, 750}};
    toc.leadOut = 750;
    std::promise<void> started, go;
    CdError error = CdError::None;
    auto reader = MakeNx<CNxSSCdReader>(nullptr, platform::cd::DriveListOptions{false, {}});
    reader->Open(
        CdTrack::open(std::make_unique<SlowDisc>(toc, started, go.get_future().share()), 1, error));
    auto converter = MakeNx<CNxSSPcmConverter>(nullptr);
    reader->CreateOutputPin()->Connect(converter->CreateInputPin().get());
    auto packet = packetOf(588);
    std::thread writer([&] { converter->Read(*packet); });
    started.get_future().wait();

    auto asked = std::async(std::launch::async, [&] {
        return std::pair(converter->GetPosition(), converter->GetLength());
    });
    const bool answered = asked.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    go.set_value();
    writer.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(asked.get(), std::pair(0, 10000));
    EXPECT_EQ(reader->GetPosition(), 13);  // 588 frames delivered
}

TEST(CNxSSCdReader, PlaysThroughTheManagerFromATrackName) {
    cdtest::TempDir dir;
    cdtest::CdImage image(dir.path(), {{true, 75}});
    CNxSSComponentCatalog catalog;
    const auto options = imageDrive(image);
    catalog.cd = [&](CNxSSManager& m, int drive, int track) -> NxRef<CNxSSComponent> {
        return MakeOpened<CNxSSCdReader>(
            m, [&](CNxSSCdReader& r) { r.Open(drive, track); }, options);
    };
    auto manager = MakeNx<CNxSSManager>(catalog, platform::makeWaveOutDriver("null"));
    NxRef<CNxSSComponent> source;
    ASSERT_EQ(manager->OpenSource("D:\\Track01.cda", source), 0u);
    EXPECT_EQ(source->Tag(), "CDDAREAD");
    EXPECT_EQ(source->GetLength(), 1000);
    const size_t children = manager->ChildCount();
    EXPECT_EQ(manager->OpenSource("D:\\Track02.cda", source), nxss::kCdReadError);
    EXPECT_EQ(manager->ChildCount(), children);  // nothing of the failed reader stays
}

}  // namespace
