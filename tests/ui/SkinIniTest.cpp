#include "ui/SkinIni.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"
#include "ui/SkinDress.h"

namespace {

TEST(SkinIni, ReadsLikeAWindowsIniFile) {
    const ui::SkinIni ini = ui::SkinIni::parse(
        "\xEF\xBB\xBF; comment\r\n"
        "stray=before any section\r\n"
        "[Generel]\r\n"
        "  BaseName =  Player  \r\n"
        "SkinName=\"Navy Blue\"\r\n"
        "basename=second\r\n"
        "no equals sign\r\n"
        "[ rect ]\n"
        "Play=1,2,3,4\n"
        "[Broken\n"
        "Stop=9,9,9,9\n"
        "[generel]\n"
        "MaskColor=255,0,255");
    EXPECT_EQ(ini.value("GENEREL", "basename", "PlayerU"), "Player");  // first one wins
    EXPECT_EQ(ini.value("Generel", "SkinName", "Navy"), "Navy Blue");
    EXPECT_EQ(ini.value("Generel", "MaskColor", "0,0,0"), "255,0,255");
    EXPECT_EQ(ini.value("Rect", "Play", "0,0,0,0"), "1,2,3,4");
    EXPECT_FALSE(ini.has("Rect", "Stop"));  // under a broken section header
    EXPECT_FALSE(ini.has("Generel", "stray"));
    EXPECT_EQ(ini.value("Rect", "Missing", "0,0,0,0"), "0,0,0,0");
    EXPECT_EQ(ui::SkinIni().value("Generel", "BaseName", "PlayerU"), "PlayerU");
}

TEST(SkinIni, ValuesAreCutToTheReadersBufferWithoutSplittingACharacter) {
    const std::string longValue(300, 'x');
    // 78 ASCII bytes then a three-byte character crossing the 79-byte limit.
    const std::string japanese = std::string(78, 'a') + "日本";
    const ui::SkinIni ini =
        ui::SkinIni::parse("[Generel]\nSkinName=" + longValue + "\nBaseName=" + japanese +
                           "\n[Dress_Equ]\nUpImage=" + longValue + "\n");
    EXPECT_EQ(ini.value("Generel", "SkinName", ""), std::string(79, 'x'));
    EXPECT_EQ(ini.value("Generel", "BaseName", ""), std::string(78, 'a'));
    EXPECT_EQ(ini.value("Dress_Equ", "UpImage", "", ui::SkinIni::kDressBuffer),
              std::string(255, 'x'));
    EXPECT_EQ(ini.value("Generel", "Missing", longValue), std::string(79, 'x'));
}

TEST(SkinIni, IntegerListsStopAtTheFirstFieldThatDoesNotParse) {
    struct Case {
        const char* text;
        std::size_t read;
        std::array<int, 4> values;
    };
    const Case cases[] = {
        {"1,2,3,4", 4, {1, 2, 3, 4}},
        {" -5, +6 ,7,8,9", 2, {-5, 6, 0, 0}},  // "6 ," stops the scan
        {"10,20", 2, {10, 20, 0, 0}},
        {"10,x,30,40", 1, {10, 0, 0, 0}},
        {"", 0, {0, 0, 0, 0}},
        {"2147483647,2147483648", 1, {2147483647, 0, 0, 0}},
        {"99999999999999999999", 0, {0, 0, 0, 0}},
        {"-,1", 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::array<int, 4> values{0, 0, 0, 0};
        EXPECT_EQ(ui::scanIntegers(c.text, values), c.read);
        EXPECT_EQ(values, c.values);
    }
}

TEST(SkinIni, AMissingOrOversizedFileReadsAsEmpty) {
    testsupport::TempDir dir;
    EXPECT_FALSE(ui::SkinIni::load(dir.path() / "Skin.ini").has("Generel", "BaseName"));
    {
        std::ofstream big(dir.path() / "Skin.ini");
        big << "[Generel]\nBaseName=Big\n" << std::string(ui::SkinIni::kMaxFileSize, ';');
    }
    EXPECT_FALSE(ui::SkinIni::load(dir.path() / "Skin.ini").has("Generel", "BaseName"));
    std::ofstream(dir.path() / "Skin.ini") << "[Generel]\nBaseName=Small\n";
    EXPECT_EQ(ui::SkinIni::load(dir.path() / "Skin.ini").value("Generel", "BaseName", ""), "Small");
}

}  // namespace

namespace {

TEST(SkinDress, MissingRectanglesKeepTheirValuesAndNoMeterInfoMeansNoBands) {
    const ui::SkinIni ini = ui::SkinIni::parse(
        "[Dress_Equ]\nRcClose=1,2,11,12\nRcBypass=5,6\nUpImage=EquU\n"
        "MeterInfo=10,4,5,6,2,1,1\n[Dress_SpeM]\nMeterInfo=3,x\n");
    ui::SkinDress dress;
    dress.presetList = QRect(7, 7, 3, 3);
    dress.bypass = QRect(QPoint(0, 0), QPoint(19, 29));
    ui::readSkinDress(ini, "Dress_Equ", dress);
    EXPECT_EQ(dress.close, QRect(1, 2, 10, 10));
    EXPECT_EQ(dress.bypass, QRect(QPoint(5, 6), QPoint(19, 29)));
    EXPECT_EQ(dress.presetList, QRect(7, 7, 3, 3));
    EXPECT_EQ(dress.upImage, "EquU");
    EXPECT_EQ(dress.dnImage, "");
    EXPECT_EQ(dress.meterInfo, (std::array<int, 7>{10, 4, 5, 6, 2, 1, 1}));
    ui::readSkinDress(ini, "Dress_SpeM", dress);
    EXPECT_EQ(dress.meterInfo, (std::array<int, 7>{3, 0, 0, 0, 0, 0, 0}));
    ui::readSkinDress(ini, "Dress_SpeL", dress);
    EXPECT_FALSE(dress.meterInfo);
    EXPECT_EQ(dress.close, QRect(1, 2, 10, 10));
}

}  // namespace
