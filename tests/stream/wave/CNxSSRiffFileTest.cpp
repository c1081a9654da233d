#include "stream/wave/CNxSSRiffFile.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "WaveFiles.h"
#include "stream/ResultCodes.h"
#include "support/TempDir.h"

namespace {

using namespace wavetest;
using platform::WaveFormat;

using wavetest::kCd;

class RiffFileTest : public ::testing::Test {
  protected:
    // Opens an image for reading; the code it fails with, or 0.
    uint32_t OpenImage(const std::string& image, int32_t mode = CNxSSRiffFile::kRead) {
        writeText(dir_ / "in.wav", image);
        file_ = MakeNx<CNxSSRiffFile>(nullptr, (dir_ / "in.wav").string());
        return ThrownCode([&] { file_->Open(mode); });
    }

    testsupport::TempDir dir_;
    NxRef<CNxSSRiffFile> file_;
};

// The odd JUNK chunk is padded: the chunks after it are found.
TEST_F(RiffFileTest, FindsFormatDataAndFactAmongOtherChunks) {
    const std::string body = Chunk("JUNK", "abc") + Chunk("fmt ", FormatBody(kCd)) +
                             Chunk("fact", Le32(77)) + Chunk("data", "12345678") +
                             Chunk("LIST", "INFO" + Chunk("INAM", "Song\0\0"));
    ASSERT_EQ(OpenImage(Form("WAVE", body)), 0u);
    EXPECT_EQ(file_->GetFormType(), FourCC("WAVE"));
    EXPECT_EQ(file_->GetFormat(), kCd);
    EXPECT_EQ(file_->GetSize(), 8u);
    EXPECT_EQ(file_->GetFact(), 77u);
    EXPECT_EQ(file_->GetTitle(), "Song");
    EXPECT_EQ(file_->GetFileSize(), 12u + body.size());
    char data[16] = {};
    EXPECT_EQ(file_->Read(data, sizeof data), 8u);  // stops at the end of the data chunk
    EXPECT_EQ(std::string(data, 8), "12345678");
    EXPECT_EQ(file_->Seek(-3, SEEK_END), 5);
    EXPECT_EQ(file_->Read(data, 2), 2u);
    EXPECT_EQ(std::string(data, 2), "67");
}

TEST_F(RiffFileTest, ShortAndOverlongFormatRecords) {
    // 16 bytes of PCM: no extra size at all.
    ASSERT_EQ(OpenImage(Form("WAVE",
                             Chunk("fmt ", FormatBody(kCd).substr(0, 16)) + Chunk("data", "abcd"))),
              0u);
    EXPECT_EQ(file_->GetFormat(), kCd);
    EXPECT_EQ(file_->GetFormat().extraSize(), 0u);

    // 14 bytes: the record is completed with zeros; the reader rejects it.
    ASSERT_EQ(OpenImage(Form("WAVE",
                             Chunk("fmt ", FormatBody(kCd).substr(0, 14)) + Chunk("data", "abcd"))),
              0u);
    EXPECT_EQ(file_->GetFormat().bitsPerSample(), 0u);

    // A compressed record claiming 60000 extra bytes keeps only those present.
    WaveFormat ima;
    ima.setTag(0x11);
    ima.setChannels(1);
    ima.setExtra(std::vector<uint8_t>{0xF9, 0x01});
    std::string record = FormatBody(ima);
    record[16] = '\x60';
    record[17] = '\xEA';
    ASSERT_EQ(OpenImage(Form("WAVE", Chunk("fmt ", record) + Chunk("data", "abcd"))), 0u);
    EXPECT_EQ(file_->GetFormat().extraSize(), 2u);
    EXPECT_EQ(file_->GetFormat().extra()[0], 0xF9);
}

TEST_F(RiffFileTest, SizesPastTheEndOfTheFileAreCutToIt) {
    // A cut-off recording: both the form and the data claim far more.
    const std::string image = Form(
        "WAVE", Chunk("fmt ", FormatBody(kCd)) + Chunk("data", "abcdef", 0xFFFFFFF0u), 0xFFFFFFF0u);
    ASSERT_EQ(OpenImage(image), 0u);
    EXPECT_EQ(file_->GetSize(), 6u);

    // A form size of 0 from a writer that could not go back.
    ASSERT_EQ(OpenImage(Form("WAVE", Chunk("fmt ", FormatBody(kCd)) + Chunk("data", "ab"), 0)), 0u);
    EXPECT_EQ(file_->GetSize(), 2u);

    // A format chunk that claims 4 GiB is read no further than the file.
    EXPECT_EQ(OpenImage(Form("WAVE", Chunk("fmt ", FormatBody(kCd), 0xFFFFFF00u))), nxss::kFail);
}

// Missing chunks and forms have their codes; RMP3 forms need only data;
// opening twice or in an unknown mode fails.
TEST_F(RiffFileTest, FormsChunksAndModesDecideWhetherItOpens) {
    EXPECT_EQ(OpenImage(Form("WAVE", Chunk("fmt ", FormatBody(kCd)))), nxss::kBadRiff);
    EXPECT_EQ(OpenImage(Form("WAVE", Chunk("data", "abcd"))), nxss::kBadRiff);
    EXPECT_EQ(OpenImage(Form("AVI ", Chunk("data", "abcd"))), nxss::kChunkNotFound);
    EXPECT_EQ(OpenImage("not a riff file at all"), nxss::kChunkNotFound);
    EXPECT_EQ(OpenImage(""), nxss::kChunkNotFound);
    EXPECT_EQ(OpenImage("RIFF"), nxss::kChunkNotFound);

    auto missing = MakeNx<CNxSSRiffFile>(nullptr, (dir_ / "nothing.wav").string());
    EXPECT_EQ(ThrownCode([&] { missing->Open(CNxSSRiffFile::kRead); }), nxss::kFileNotFound);
    ASSERT_EQ(OpenImage(Form("RMP3", Chunk("data", std::string("\xFF\xFB\x90\x00", 4)))), 0u);
    EXPECT_EQ(file_->GetFormType(), FourCC("RMP3"));
    EXPECT_EQ(file_->GetSize(), 4u);
    EXPECT_EQ(OpenImage(Form("RMP3", Chunk("JUNK", "ab"))), nxss::kBadRiff);
    ASSERT_EQ(OpenImage(WaveImage(kCd, "abcd")), 0u);
    EXPECT_THROW(file_->Open(CNxSSRiffFile::kRead), CNxSSException);
    file_->Close();
    EXPECT_THROW(file_->Open(7), CNxSSException);
    EXPECT_FALSE(file_->IsOpen());
}

TEST_F(RiffFileTest, UpdateModePatchesAChunkInPlace) {
    const std::string image = Form(
        "WAVE", Chunk("fmt ", FormatBody(kCd)) + Chunk("fact", Le32(0)) + Chunk("data", "abcd"));
    ASSERT_EQ(OpenImage(image, CNxSSRiffFile::kUpdate), 0u);
    RiffChunk fact{.id = FourCC("fact")};
    const RiffChunk form = file_->GetForm();
    ASSERT_EQ(file_->Descend(fact, &form, riff::kFindChunk), 0u);
    const std::string value = Le32(123456);
    file_->Write(value.data(), 4);
    fact.dirty = true;
    ASSERT_EQ(file_->Ascend(fact), 0u);
    file_->Close();
    ASSERT_EQ(OpenImage(readText(dir_ / "in.wav")), 0u);
    EXPECT_EQ(file_->GetFact(), 123456u);
    EXPECT_EQ(readText(dir_ / "in.wav").size(), image.size());
}

class RiffCreateTest : public ::testing::Test {
  protected:
    void SetUp() override { writeText(target_, "old contents"); }

    // Writes a small WAVE file through the chunk functions.
    void WriteWave(CNxSSRiffFile& file) {
        RiffChunk form{.formType = FourCC("WAVE")};
        ASSERT_EQ(file.CreateChunk(form, riff::kCreateRiff), 0u);
        RiffChunk format{.id = FourCC("fmt ")};
        ASSERT_EQ(file.CreateChunk(format, 0), 0u);
        file.Write(kCd.bytes().data(), kCd.size());
        ASSERT_EQ(file.Ascend(format), 0u);
        RiffChunk data{.id = FourCC("data")};
        ASSERT_EQ(file.CreateChunk(data, 0), 0u);
        file.Write("abc", 3);
        ASSERT_EQ(file.Ascend(data), 0u);
        ASSERT_EQ(file.Ascend(form), 0u);
    }

    testsupport::TempDir dir_;
    std::filesystem::path target_ = dir_ / "out.wav";
};

TEST_F(RiffCreateTest, TheTargetIsReplacedOnlyAtCloseNeverOnAbort) {
    auto file = MakeNx<CNxSSRiffFile>(nullptr, target_.string());
    file->Open(CNxSSRiffFile::kCreate);
    WriteWave(*file);
    EXPECT_EQ(readText(target_), "old contents");
    EXPECT_EQ(dir_.names().size(), 2u);  // the target and the temporary file beside it
    file->Close();
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wav"});
    // Sizes were filled in and the odd data chunk was padded.
    EXPECT_EQ(readText(target_),
              Form("WAVE", Chunk("fmt ", FormatBody(kCd)) + Chunk("data", "abc")));

    // An abort, or the file going away unclosed, leaves the target alone.
    writeText(target_, "old contents");
    file->Open(CNxSSRiffFile::kCreate);
    WriteWave(*file);
    file->Abort();
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(readText(target_), "old contents");

    file->Open(CNxSSRiffFile::kCreate);
    WriteWave(*file);
    file.reset();
    EXPECT_EQ(dir_.names(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(readText(target_), "old contents");
}

TEST_F(RiffCreateTest, AnUnwritableFolderFailsAtOpen) {
    auto file = MakeNx<CNxSSRiffFile>(nullptr, (dir_ / "no-such-folder" / "out.wav").string());
    EXPECT_EQ(ThrownCode([&] { file->Open(CNxSSRiffFile::kCreate); }), nxss::errnoError(ENOENT));
}

}  // namespace
