#include "stream/Id3v1Block.h"

#include <gtest/gtest.h>

#include <string>

#include "stream/CNxSSInfo.h"
#include "stream/CNxSSSilenceSource.h"
#include "stream/ResultCodes.h"

namespace {

std::string field(const Id3v1Block& b, size_t offset, size_t length) {
    return std::string(b.Bytes().begin() + offset, b.Bytes().begin() + offset + length);
}

// Text fields keep thirty bytes and never half a character; comment and
// track share the last bytes; the year is decimal text of at most four digits.
TEST(Id3v1Block, FieldsCommentTrackAndYear) {
    Id3v1Block b;
    b.SetTitle(std::string(31, 'x'));
    EXPECT_EQ(b.Title(), std::string(30, 'x'));
    // 29 ASCII bytes then a two-byte character: its lead byte would be byte 30.
    b.SetArtist(std::string(29, 'a') + "あ");
    EXPECT_EQ(field(b, 33, 30), std::string(29, 'a') + std::string(1, '\0'));
    EXPECT_EQ(b.Artist(), std::string(29, 'a'));
    b.SetAlbum("アルバム  ");  // trailing blanks are trimmed on reading
    EXPECT_EQ(field(b, 63, 8), "\x83\x41\x83\x8B\x83\x6F\x83\x80");
    EXPECT_EQ(b.Album(), "アルバム");
    b.SetComment(std::string(30, 'c'), 5);
    EXPECT_EQ(b.Comment(), std::string(28, 'c'));
    EXPECT_EQ(b.Track(), 5);
    EXPECT_EQ(b.CommentLimit(), 28u);
    EXPECT_EQ(b.Bytes()[125], 0);
    EXPECT_EQ(b.Bytes()[126], 5);

    b.SetComment(std::string(30, 'd'), 0);  // without a track the comment takes 30 bytes
    EXPECT_EQ(b.Track(), 0);
    EXPECT_EQ(b.Comment(), std::string(30, 'd'));

    std::array<uint8_t, 128> raw = b.Bytes();
    raw[125] = 'x';
    raw[126] = 7;  // byte 125 is not 0: no track, whatever byte 126 holds
    EXPECT_EQ(Id3v1Block(raw).Track(), 0);
    b.SetYear(1999);
    EXPECT_EQ(field(b, 93, 4), "1999");
    b.SetYear(99);
    EXPECT_EQ(field(b, 93, 4), std::string("99\0\0", 4));
    EXPECT_EQ(b.Year(), 99);
    b.SetYear(12345);
    EXPECT_EQ(b.Year(), 2345);
    b.SetYear(0);
    EXPECT_EQ(field(b, 93, 4), std::string(4, '\0'));
    EXPECT_EQ(b.Year(), 0);
}

// An MP3-like information object with fixed facts.
class FixedInfo : public CNxSSInfo {
  public:
    explicit FixedInfo(CNxSSComponent* owner) : CNxSSInfo(owner) {}
    Kind GetKind() const override { return kId3v1; }
    int32_t GetLayer() const override { return 3; }
    int32_t GetBitrate() const override { return 192000; }
    int32_t GetSampleRate() const override { return 44100; }
    int32_t GetMode() const override { return 1; }
    int32_t GetCopyright() const override { return 1; }
    int32_t GetVbr() const override { return vbr; }
    uint64_t GetFileSize() const override { return 4321; }
    int32_t vbr = 0;
};

TEST(CNxSSInfo, InformationTextListsSizeTimeAndFormat) {
    auto source = MakeNx<CNxSSSilenceSource>(nullptr, 125000);
    auto info = MakeNx<FixedInfo>(source.get());
    source.reset();  // the information object keeps its source
    EXPECT_EQ(info->GetDuration(), 125000);
    EXPECT_EQ(info->InformationText(),
              "サイズ\t4321 bytes\r\n時間\t02:05\r\nバージョン\tMPEG-1 Layer-3\r\n"
              "フォーマット\t192Kbps 44100Hz\r\n\tJoint Stereo\r\n"
              "プライベート\tNo\r\n著作権\tYes\r\nオリジナル\tNo\r\n");
    info->vbr = 1;
    EXPECT_NE(info->InformationText().find("フォーマット\tVBR (av. 192Kbps) 44100Hz\r\n"),
              std::string::npos);
    EXPECT_EQ(info->WriteTag(), nxss::kFail);
}

}  // namespace
