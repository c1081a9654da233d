#include "mp3/reader/CNxSSId3Info.h"

#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "mp3/reader/Mp3ReaderComponents.h"
#include "stream/CNxSSManager.h"
#include "stream/ResultCodes.h"
#include "support/TagFixtures.h"
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
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.raw = true});
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

const std::string kLongTitle = "夜明けのうた、三十バイトでは終わらない長い題名";

TEST_F(Id3InfoTest, Id3v2ValuesWinOverTheCutId3v1Fields) {
    if (!tagfixtures::haveMutagen()) {
        GTEST_SKIP() << "python3-mutagen is not installed (scripts/deps.sh)";
    }
    const auto path = Copy("v1_44k_joint_128.mp3", "both.mp3");
    // A tagger writes ID3v2 with a huge padding; an older one the block. How
    // the frames read is the tag reader's own test (ExtendedTagsTest).
    ASSERT_TRUE(tagfixtures::mutagen(R"(
t = ID3()
t.add(TIT2(encoding=1, text=')" + kLongTitle +
                                         R"('))
t.add(TRCK(encoding=0, text='300/301'))
t.save(p, v2_version=3, padding=lambda info: 1 << 20)
)",
                                     path));
    Id3v1Block block;
    block.SetTitle(kLongTitle);
    block.SetComment("v1 comment", 0);
    MakeNx<CNxSSMp3File>(path.string())->WriteTag(block.Bytes());
    const NxRef<CNxSSInfo> held = InfoOf(path);
    auto* info = static_cast<CNxSSId3Info*>(held.get());
    EXPECT_EQ(info->GetId3v2Version(), 3);
    EXPECT_EQ(info->GetTitle(), kLongTitle);
    EXPECT_LT(info->Block().Title().size(), kLongTitle.size());
    EXPECT_EQ(info->GetComment(), "v1 comment");
    EXPECT_EQ(info->GetTrack(), 300);
    // A track the block cannot hold stays out of it.
    info->SetComment("c", info->GetTrack());
    EXPECT_EQ(info->Block().Track(), 0);
    EXPECT_EQ(info->GetTrack(), 300);

    auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.raw = true});
    reader->Open(path.string());
    EXPECT_EQ(readAll(*reader).size(), reference16("v1_44k_joint_128").size() * 2);
}

TEST_F(Id3InfoTest, AnEditRewritesBothTagsInOneReplacementOfTheFile) {
    if (!tagfixtures::haveMutagen()) {
        GTEST_SKIP() << "python3-mutagen is not installed (scripts/deps.sh)";
    }
    const auto path = Copy("v1_44k_joint_128.mp3", "edit.mp3");
    ASSERT_TRUE(tagfixtures::mutagen(R"(
t = ID3()
t.add(TIT2(encoding=0, text='Old title'))
t.add(TALB(encoding=0, text='Old album'))
t.save(p, v2_version=3)
)",
                                     path));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    const auto link = dir_ / "link.mp3";
    std::filesystem::create_symlink(path.filename(), link);

    NxRef<CNxSSInfo> info = InfoOf(link);
    EXPECT_EQ(info->GetTitle(), "Old title");
    info->SetTitle(kLongTitle);
    info->SetArtist("アーティスト");
    info->SetYear(2001);
    ASSERT_EQ(info->WriteTag(), 0u);
    EXPECT_EQ(info->GetTitle(), kLongTitle);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(dir_.names(), (std::vector<std::string>{"edit.mp3", "link.mp3"}));
    // Other players see the new values; the file still ends in the block.
    EXPECT_EQ(
        tagfixtures::mutagen(
            "t = ID3(p)\nprint(t['TIT2'].text[0], t['TPE1'].text[0], t['TALB'].text[0])", path),
        kLongTitle + " アーティスト Old album\n");
    const NxRef<CNxSSInfo> reread = InfoOf(path);
    auto* again = static_cast<CNxSSId3Info*>(reread.get());
    EXPECT_EQ(again->GetTitle(), kLongTitle);
    EXPECT_EQ(again->GetYear(), 2001);
    EXPECT_EQ(again->Block().Artist(), "アーティスト");
    EXPECT_EQ(again->Block().Year(), 2001);
    auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{.raw = true});
    reader->Open(path.string());
    EXPECT_EQ(readAll(*reader).size(), reference16("v1_44k_joint_128").size() * 2);
}

}  // namespace
