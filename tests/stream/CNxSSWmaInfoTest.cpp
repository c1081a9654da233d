#include "stream/CNxSSWmaInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "WmaTestSupport.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/WmaDecoder.h"
#include "stream/CNxSSManager.h"
#include "stream/WmaComponents.h"
#include "support/TempSettings.h"

namespace {

using platform::wma::Attributes;
using platform::wma::OutputSettings;
namespace attr = platform::wma::attr;

const std::string kLongTitle = "A Title Longer Than Thirty Bytes In All";
const std::string kLongArtist = "An Artist Whose Name Goes Past The Field";

class WmaInfoTest : public testing::Test {
  protected:
    void Write(const Attributes& attributes) {
        wmatest::writeWma(path_, wmatest::tone(44100, 2, 44100, 0), OutputSettings{}, attributes);
    }

    NxRef<CNxSSInfo> Info() {
        NxRef<CNxSSInfo> info;
        EXPECT_EQ(manager_->GetInfo(path_.string(), info), 0u);
        return info;
    }

    static CNxSSComponentCatalog Catalog() {
        CNxSSComponentCatalog catalog;
        AddWmaComponents(catalog);
        return catalog;
    }

    TempSettings settings_;
    NxRef<CNxSSManager> manager_ = MakeNx<CNxSSManager>(Catalog());
    const wmatest::TempDir dir_;
    const std::filesystem::path path_ = dir_ / "tagged.wma";
};

TEST_F(WmaInfoTest, FieldsComeFromTheAttributes) {
    Attributes a;
    a.set(attr::kTitle, kLongTitle);
    a.set(attr::kAuthor, "日本のアーティスト");
    a.set(attr::kAlbumTitle, "Album");
    a.set(attr::kYear, "1999-04-01");
    a.set(attr::kDescription, "A comment");
    a.set(attr::kTrackNumber, "7");
    a.set(attr::kGenre, "jazz+funk");
    Write(a);

    auto info = Info();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Tag(), "WMAINFO ");
    EXPECT_EQ(info->GetKind(), CNxSSInfo::kWma);
    EXPECT_EQ(info->GetTitle(), kLongTitle);  // the long title
    EXPECT_EQ(static_cast<CNxSSWmaInfo&>(*info).Block().Title(), kLongTitle.substr(0, 30));
    EXPECT_EQ(info->GetArtist(), "日本のアーティスト");
    EXPECT_EQ(info->GetAlbum(), "Album");
    EXPECT_EQ(info->GetYear(), 1999);
    EXPECT_EQ(info->GetComment(), "A comment");
    EXPECT_EQ(info->GetTrack(), 7);
    EXPECT_EQ(info->GetCommentLimit(), 28);
    EXPECT_EQ(info->GetGenre(), 29);
    EXPECT_EQ(info->GetSampleRate(), 44100);
    EXPECT_EQ(info->GetChannels(), 2);
    EXPECT_NEAR(info->GetBitrate(), 128000, 2000);
    EXPECT_NEAR(info->GetDuration(), 1000, 30);
    EXPECT_EQ(info->GetFileSize(), std::filesystem::file_size(path_));

    const std::string text = info->InformationText();
    EXPECT_NE(text.find("フォーマット\tWindows Media Audio\r\n\t128Kbps 44100Hz\r\n\tStereo\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.rfind("サイズ\t", 0), 0u);
}

TEST_F(WmaInfoTest, GenreAndTrackForms) {
    struct Case {
        const char* genre;
        int number;
    };
    for (const Case c : {Case{"(12)", 12}, Case{"79", 79}, Case{"HARD ROCK", 79},
                         Case{"J-Pop", 255}, Case{"(300)", 255}}) {
        Attributes a;
        a.set(attr::kGenre, c.genre);
        a.set(attr::kTrack, "4");  // counted from 0
        Write(a);
        auto info = Info();
        EXPECT_EQ(info->GetGenre(), c.number) << c.genre;
        EXPECT_EQ(info->GetTrack(), 5);
    }
    Write({});
    auto info = Info();
    EXPECT_EQ(info->GetGenre(), 255);
    EXPECT_EQ(info->GetTrack(), 0);
    EXPECT_EQ(info->GetTitle(), "");
    EXPECT_EQ(info->GetCommentLimit(), 30);
}

// Edited fields reach the file; the audio and every field not edited stay
// as they were, even where the 30-byte block had to cut them.
TEST_F(WmaInfoTest, WriteTagChangesOnlyWhatWasEdited) {
    Attributes a;
    a.set(attr::kTitle, "Old");
    a.set(attr::kAuthor, kLongArtist);
    a.set(attr::kDescription, "Exactly thirty bytes of text!!");
    a.set(attr::kGenre, "J-Pop");
    a.set(attr::kTrack, "2");
    a.set("WM/Composer", "Someone");
    Write(a);
    const auto audio = wmatest::decodeAll(path_).samples;

    auto info = Info();
    info->SetTitle(kLongTitle);
    info->SetAlbum("新しいアルバム");
    info->SetYear(2004);
    info->SetComment(info->GetComment(), 9);  // a new track; the comment is only cut
    ASSERT_EQ(info->WriteTag(), 0u);

    const Attributes stored = platform::wma::WmaDecoder(path_).attributes();
    EXPECT_EQ(stored.get(attr::kTitle), kLongTitle);
    EXPECT_EQ(stored.get(attr::kAuthor), kLongArtist);
    EXPECT_EQ(stored.get(attr::kAlbumTitle), "新しいアルバム");
    EXPECT_EQ(stored.get(attr::kYear), "2004");
    EXPECT_EQ(stored.get(attr::kDescription), "Exactly thirty bytes of text!!");
    EXPECT_EQ(stored.get(attr::kGenre), "J-Pop");
    EXPECT_EQ(stored.get(attr::kTrackNumber), "9");
    EXPECT_EQ(stored.get(attr::kTrack), "8");
    EXPECT_EQ(stored.get("WM/Composer"), "Someone");
    EXPECT_EQ(wmatest::decodeAll(path_).samples, audio);

    auto reread = Info();
    EXPECT_EQ(reread->GetTitle(), kLongTitle);
    EXPECT_EQ(reread->GetTrack(), 9);
    EXPECT_EQ(reread->GetYear(), 2004);
}

TEST_F(WmaInfoTest, ClearedFieldsAndGenresBeyondTheStandardList) {
    Attributes a;
    a.set(attr::kAuthor, "Someone");
    a.set(attr::kYear, "2001");
    a.set(attr::kTrackNumber, "3");
    Write(a);
    auto info = Info();
    info->SetArtist("");
    info->SetYear(0);
    info->SetComment("", 0);
    info->SetGenre(120);
    ASSERT_EQ(info->WriteTag(), 0u);

    const Attributes stored = platform::wma::WmaDecoder(path_).attributes();
    EXPECT_FALSE(stored.get(attr::kAuthor));
    EXPECT_FALSE(stored.get(attr::kYear));
    EXPECT_FALSE(stored.get(attr::kTrackNumber));
    EXPECT_EQ(stored.get(attr::kGenre), "(120)");
    EXPECT_EQ(Info()->GetGenre(), 120);

    // A file that went away leaves a clean failure, nothing written.
    std::filesystem::remove(path_);
    info->SetGenre(17);
    EXPECT_NE(info->WriteTag(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_TRUE(dir_.names().empty());
}

}  // namespace
