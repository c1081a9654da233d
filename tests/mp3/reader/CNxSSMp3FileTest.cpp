#include "mp3/reader/CNxSSMp3File.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ReaderTestSupport.h"
#include "stream/CNxSSException.h"
#include "stream/ResultCodes.h"
#include "support/TempDir.h"

namespace {

using namespace mp3test;

std::vector<uint8_t> id3v1(const char* title) {
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, title, std::strlen(title));
    tag[127] = 255;
    return tag;
}

class Mp3FileTest : public testing::Test {
  protected:
    testsupport::TempDir dir_;
};

TEST_F(Mp3FileTest, BothTagsAreHiddenFromTheData) {
    std::vector<uint8_t> bytes = id3v2Tag(4096);
    const std::vector<uint8_t> audio = {0xFF, 0xFB, 0x90, 0x64, 1, 2, 3, 4, 5};
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    const auto tag = id3v1("Title");
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    writeBytes(dir_ / "a.mp3", bytes);

    NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "a.mp3").string());
    file->Open(CNxSSMp3File::kRead);
    EXPECT_EQ(file->FileSize(), bytes.size());
    EXPECT_EQ(file->DataSize(), bytes.size() - 4106 - 128);
    EXPECT_EQ(file->Tell(), 0);
    file->Seek(3, CNxSSMp3File::kBegin);
    EXPECT_EQ(file->Seek(0, CNxSSMp3File::kBegin), 0);
    uint8_t head[4] = {};
    ASSERT_EQ(file->Read(head, 4), 4u);
    EXPECT_EQ(std::memcmp(head, audio.data(), 4), 0);
    const auto read = file->ReadTag();
    ASSERT_TRUE(read);
    EXPECT_EQ(std::vector<uint8_t>(read->begin(), read->end()), tag);
}

// An ID3v2 size beyond the file, or a file smaller than a tag, leaves no
// data rather than a size that wrapped around.
TEST_F(Mp3FileTest, ImpossibleTagSizesLeaveNoData) {
    std::vector<uint8_t> bytes = id3v2Tag(0);
    bytes[6] = bytes[7] = bytes[8] = bytes[9] = 0x7F;
    bytes.resize(300, 0xAA);
    writeBytes(dir_ / "b.mp3", bytes);
    NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "b.mp3").string());
    file->Open(CNxSSMp3File::kRead);
    EXPECT_EQ(file->DataSize(), 0u);

    writeBytes(dir_ / "c.mp3", {'T', 'A', 'G'});
    NxRef<CNxSSMp3File> tiny = MakeNx<CNxSSMp3File>((dir_ / "c.mp3").string());
    tiny->Open(CNxSSMp3File::kRead);
    EXPECT_EQ(tiny->DataSize(), 3u);
    EXPECT_FALSE(tiny->ReadTag());
}

TEST_F(Mp3FileTest, TagIsAppendedOnceThenReplaced) {
    const std::vector<uint8_t> audio(1000, 0x55);
    writeBytes(dir_ / "d.mp3", audio);
    NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "d.mp3").string());
    CNxSSMp3File::TagBytes block{};
    const auto first = id3v1("One");
    std::copy(first.begin(), first.end(), block.begin());
    file->WriteTag(block);
    EXPECT_EQ(bytesOf(dir_ / "d.mp3").size(), 1128u);
    block[3] = 'X';
    file->WriteTag(block);
    const auto after = bytesOf(dir_ / "d.mp3");
    ASSERT_EQ(after.size(), 1128u);
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), after.begin()));
    EXPECT_EQ(after[1003], 'X');
}

TEST_F(Mp3FileTest, CreateGoesThroughATemporaryFile) {
    writeBytes(dir_ / "e.mp3", {1, 2, 3});
    {
        NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "e.mp3").string());
        file->Open(CNxSSMp3File::kCreate);
        const uint8_t data[] = {9, 9};
        file->Write(data, 2);
        EXPECT_EQ(bytesOf(dir_ / "e.mp3"), (std::vector<uint8_t>{1, 2, 3}));
        file->CloseAndDiscard();
    }
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"e.mp3"});
    NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "e.mp3").string());
    file->Open(CNxSSMp3File::kCreate);
    const uint8_t data[] = {7, 8};
    file->Write(data, 2);
    file->CloseAndCommit();
    EXPECT_EQ(bytesOf(dir_ / "e.mp3"), (std::vector<uint8_t>{7, 8}));
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"e.mp3"});
}

TEST_F(Mp3FileTest, FailuresCarryTheSystemError) {
    NxRef<CNxSSMp3File> file = MakeNx<CNxSSMp3File>((dir_ / "none.mp3").string());
    EXPECT_FALSE(file->Exists());
    try {
        file->Open(CNxSSMp3File::kRead);
        FAIL() << "opened a missing file";
    } catch (const CNxSSException& e) {
        EXPECT_EQ(e.Code(), nxss::errnoError(ENOENT));
    }
    CNxSSMp3File::TagBytes block{};
    EXPECT_THROW(file->WriteTag(block), CNxSSException);
    EXPECT_FALSE(file->Exists());
}

}  // namespace
