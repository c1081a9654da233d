#include <gtest/gtest.h>

#include "WmaTestSupport.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaWriter.h"

namespace {

using namespace platform::wma;
using wmatest::Pcm;

const std::vector<uint8_t> kOldContent = {'o', 'l', 'd'};

// The target changes only when the writer finishes, and then holds the
// whole stream; an abort or a writer dropped before finishing leave it as
// it was, and no temporary file behind.
TEST(WmaWriterTarget, ReplacedOnlyByAFinishedWrite) {
    const wmatest::TempDir dir;
    const auto target = dir / "song.wma";
    wmatest::writeBytes(target, kOldContent);
    const Pcm pcm = wmatest::tone(44100, 2, 44100, 0);
    {
        const auto writer = wmaCodec().createWriter(target, pcm.format(), OutputSettings{}, {});
        writer->write(pcm.bytes());
        writer->abort();
        EXPECT_THROW(writer->finish(), Error);
    }
    {
        const auto writer = wmaCodec().createWriter(target, pcm.format(), OutputSettings{}, {});
        writer->write(pcm.bytes());
    }
    EXPECT_EQ(wmatest::readBytes(target), kOldContent);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"song.wma"});

    const auto writer = wmaCodec().createWriter(target, pcm.format(), OutputSettings{}, {});
    writer->write(pcm.bytes());
    writer->finish();
    EXPECT_THROW(writer->write(pcm.bytes()), Error);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"song.wma"});
    EXPECT_EQ(wmatest::decodeAll(target).frames(), 44100u);
}

class Retagging : public testing::Test {
  protected:
    void SetUp() override {
        Attributes tags;
        tags.set(attr::kTitle, "Old title");
        tags.set(attr::kAuthor, "Artist");
        tags.set(attr::kYear, "1999");
        wmatest::writeWma(path_, wmatest::tone(44100, 2, 50000, 1000), OutputSettings{}, tags);
    }
    const wmatest::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "t.wma";
};

// New attributes, the same audio to the sample, the same length.
TEST_F(Retagging, AttributesChangeAudioStays) {
    const Pcm before = wmatest::decodeAll(path_);
    const uint32_t lengthBefore = wmaCodec().openDecoder(path_)->info().durationMs;
    Attributes tags = wmaCodec().openDecoder(path_)->attributes();
    tags.set(attr::kTitle, "新しい題名");
    tags.erase(attr::kYear);
    tags.set(attr::kGenre, "Jazz");
    tags.set(attr::kTrack, "4");
    wmaCodec().rewriteAttributes(path_, tags);

    const auto after = wmaCodec().openDecoder(path_);
    EXPECT_EQ(after->attributes().get(attr::kTitle), "新しい題名");
    EXPECT_EQ(after->attributes().get(attr::kAuthor), "Artist");
    EXPECT_EQ(after->attributes().get(attr::kGenre), "Jazz");
    EXPECT_FALSE(after->attributes().get(attr::kYear));
    EXPECT_EQ(after->attributes().trackNumber(), 5);
    EXPECT_EQ(after->info().durationMs, lengthBefore);
    EXPECT_EQ(wmatest::decodeAll(path_).samples, before.samples);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"t.wma"});
}

TEST_F(Retagging, DamagedFileIsLeftAsItWas) {
    auto bytes = wmatest::readBytes(path_);
    bytes.resize(100);
    wmatest::writeBytes(path_, bytes);
    EXPECT_THROW(wmaCodec().rewriteAttributes(path_, Attributes{}), Error);
    EXPECT_EQ(wmatest::readBytes(path_), bytes);
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"t.wma"});
}

TEST(WmaAttributes, NamesAndTrackNumbers) {
    Attributes a;
    a.set("Title", "one");
    a.set("WM/Genre", "Pop");
    a.set("title", "two");  // same attribute, place kept
    EXPECT_EQ(a.entries().size(), 2u);
    EXPECT_EQ(a.entries()[0], (Attributes::Entry{"Title", "two"}));
    EXPECT_EQ(a.get("TITLE"), "two");
    a.erase("wm/genre");
    EXPECT_EQ(a.entries().size(), 1u);

    EXPECT_FALSE(a.trackNumber());
    a.set(attr::kTrack, "0");  // counted from 0
    EXPECT_EQ(a.trackNumber(), 1);
    a.set(attr::kTrackNumber, "3/12");
    EXPECT_EQ(a.trackNumber(), 3);
    a.set(attr::kTrackNumber, "0");  // not a track number: the other one counts
    EXPECT_EQ(a.trackNumber(), 1);
    a.set(attr::kTrack, "x");
    EXPECT_FALSE(a.trackNumber());
}

}  // namespace
