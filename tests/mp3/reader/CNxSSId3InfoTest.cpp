#include "mp3/reader/CNxSSId3Info.h"

#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "mp3/reader/Mp3ReaderComponents.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "support/TempDir.h"
#include "support/TempSettings.h"

namespace {

using namespace mp3test;

class Id3InfoTest : public testing::Test {
  protected:
    NxRef<CNxSSInfo> InfoOf(const std::filesystem::path& path) {
        auto reader = MakeNx<CNxSSMp3Reader>(nullptr);
        reader->Open(path.string());
        NxRef<CNxSSInfo> info;
        EXPECT_EQ(reader->GetInfo(info), 0u);
        return info;
    }

    std::filesystem::path Copy(const std::string& fixtureName, const std::string& name) {
        std::filesystem::copy_file(fixture(fixtureName), dir_ / name);
        return dir_ / name;
    }

    TempSettings settings_;
    testsupport::TempDir dir_;
};

TEST_F(Id3InfoTest, UntaggedFileShowsItsNameUntilATagIsWritten) {
    const auto path = Copy("v1_44k_joint_128.mp3", "My Song.mp3");
    const auto size = std::filesystem::file_size(path);
    NxRef<CNxSSInfo> info = InfoOf(path);
    EXPECT_EQ(info->GetKind(), CNxSSInfo::kId3v1);
    EXPECT_EQ(info->GetTitle(), "My Song.mp3");
    EXPECT_EQ(info->GetGenre(), 255);

    info->SetTitle("夜明けのうた");
    info->SetArtist("Artist");
    info->SetYear(1999);
    info->SetComment("a comment that is thirty bytes", 5);
    info->SetGenre(17);
    EXPECT_EQ(info->GetTitle(), "夜明けのうた");
    ASSERT_EQ(info->WriteTag(), 0u);
    EXPECT_EQ(std::filesystem::file_size(path), size + 128);
    ASSERT_EQ(info->WriteTag(), 0u);
    EXPECT_EQ(std::filesystem::file_size(path), size + 128);

    NxRef<CNxSSInfo> again = InfoOf(path);
    EXPECT_EQ(again->GetTitle(), "夜明けのうた");
    EXPECT_EQ(again->GetArtist(), "Artist");
    EXPECT_EQ(again->GetYear(), 1999);
    EXPECT_EQ(again->GetComment(), "a comment that is thirty byt");
    EXPECT_EQ(again->GetTrack(), 5);
    EXPECT_EQ(again->GetCommentLimit(), 28);
    EXPECT_EQ(again->GetGenre(), 17);
    // The tag does not change what is played.
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr);
    reader->Open(path.string());
    EXPECT_EQ(readAll(*reader).size(), reference16("v1_44k_joint_128").size() * 2);
}

TEST_F(Id3InfoTest, FactsAndInformationText) {
    NxRef<CNxSSInfo> cbr = InfoOf(fixture("v1_44k_joint_128.mp3"));
    EXPECT_EQ(cbr->GetVersion(), 0);
    EXPECT_EQ(cbr->GetLayer(), 3);
    EXPECT_EQ(cbr->GetBitrate(), 128000);
    EXPECT_EQ(cbr->GetSampleRate(), 44100);
    EXPECT_EQ(cbr->GetChannels(), 2);
    EXPECT_EQ(cbr->GetMode(), 1);
    EXPECT_EQ(cbr->GetFileSize(), std::filesystem::file_size(fixture("v1_44k_joint_128.mp3")));
    const std::string text = cbr->InformationText();
    EXPECT_NE(text.find("バージョン\tMPEG-1 Layer-3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("フォーマット\t128Kbps 44100Hz\r\n\tJoint Stereo\r\n"), std::string::npos)
        << text;

    NxRef<CNxSSInfo> vbr = InfoOf(fixture("v1_44k_vbr_xing.mp3"));
    EXPECT_EQ(vbr->GetVbr(), 1);
    EXPECT_NE(vbr->InformationText().find("フォーマット\tVBR (av. "), std::string::npos);

    NxRef<CNxSSInfo> lsf = InfoOf(fixture("v25_8k_stereo.mp3"));
    EXPECT_NE(lsf->InformationText().find("MPEG-2.5 Layer-3"), std::string::npos);
}

TEST_F(Id3InfoTest, ManagerOpensMp3NamesThroughTheCatalog) {
    CNxSSComponentCatalog catalog;
    AddMp3ReaderComponents(catalog);
    NxRef<CNxSSManager> manager = MakeNx<CNxSSManager>(catalog);
    NxRef<CNxSSInfo> info;
    ASSERT_EQ(manager->GetInfo(fixture("v2_22k_joint.mp3").string(), info), 0u);
    EXPECT_EQ(info->GetSampleRate(), 22050);
    EXPECT_GT(info->GetDuration(), 0);

    const auto layer2 = Copy("layer2.mp2", "layer2.mp3");
    // The manager reports any file the reader refuses as undecodable.
    EXPECT_EQ(manager->GetInfo(layer2.string(), info), nxss::kNoDecoder);
    EXPECT_EQ(manager->GetInfo((dir_ / "missing.mp3").string(), info), nxss::kNoDecoder);
}

}  // namespace
