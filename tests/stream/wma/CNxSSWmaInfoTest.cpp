#include "stream/wma/CNxSSWmaInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "WmaTestSupport.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/WmaModule.h"
#include "stream/CNxSSManager.h"
#include "stream/wma/WmaComponents.h"
#include "support/TempSettings.h"

namespace {

using platform::wma::Attributes;
using platform::wma::OutputSettings;
namespace attr = platform::wma::attr;

// The attributes' values in the order given, "-" for a missing one.
std::string ValuesOf(const Attributes& a, std::initializer_list<std::string_view> names) {
    std::string out;
    for (const std::string_view name : names) {
        out += a.get(name).value_or("-") + "|";
    }
    return out;
}

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
    EXPECT_EQ(info->GetArtist() + "|" + info->GetAlbum() + "|" + info->GetComment(),
              "日本のアーティスト|Album|A comment");
    EXPECT_EQ(std::make_tuple(info->GetYear(), info->GetTrack(), info->GetCommentLimit(),
                              info->GetGenre(), info->GetSampleRate(), info->GetChannels()),
              std::make_tuple(1999, 7, 28, 29, 44100, 2));
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
    EXPECT_EQ(info->GetTitle(), "");
    EXPECT_EQ(std::make_tuple(info->GetGenre(), info->GetTrack(), info->GetCommentLimit()),
              std::make_tuple(255, 0, 30));
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

    EXPECT_EQ(
        ValuesOf(platform::wma::wmaCodec().openDecoder(path_)->attributes(),
                 {attr::kTitle, attr::kAuthor, attr::kAlbumTitle, attr::kYear, attr::kDescription,
                  attr::kGenre, attr::kTrackNumber, attr::kTrack, "WM/Composer"}),
        kLongTitle + "|" + kLongArtist +
            "|新しいアルバム|2004|Exactly thirty bytes of text!!|J-Pop|9|8|Someone|");
    EXPECT_EQ(wmatest::decodeAll(path_).samples, audio);
    auto reread = Info();
    EXPECT_EQ(reread->GetTitle(), kLongTitle);
    EXPECT_EQ(std::make_pair(reread->GetTrack(), reread->GetYear()), std::make_pair(9, 2004));
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

    EXPECT_EQ(ValuesOf(platform::wma::wmaCodec().openDecoder(path_)->attributes(),
                       {attr::kAuthor, attr::kYear, attr::kTrackNumber, attr::kGenre}),
              "-|-|-|(120)|");
    EXPECT_EQ(Info()->GetGenre(), 120);

    // A file that went away leaves a clean failure, nothing written.
    std::filesystem::remove(path_);
    info->SetGenre(17);
    EXPECT_NE(info->WriteTag(), 0u);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_TRUE(dir_.names().empty());
}

}  // namespace
