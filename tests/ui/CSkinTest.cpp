#include "ui/CSkin.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"
#include "ui/BmpBuilder.h"

namespace {

using ui::SkinLayout;

const char* const kSkins[] = {"Navy", "Green", "Orange", "Black"};
const std::filesystem::path kSkinDir = MELODUX_SKIN_DIR;

TEST(CSkin, EveryBuiltSkinLoadsCompletelyInEveryLayout) {
    for (const char* name : kSkins) {
        for (const SkinLayout layout : {SkinLayout::Normal, SkinLayout::Wide, SkinLayout::Mini}) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(static_cast<int>(layout)));
            ui::CSkin skin;
            skin.LoadPlayerSkin(kSkinDir / name, layout);
            ASSERT_TRUE(skin.complete()) << skin.errors().front();
            EXPECT_EQ(skin.skinName().toStdString(), name);
            EXPECT_EQ(skin.maskColor(), 0xFFFF00FFu);
            const ui::SkinImage& up = skin.stateImage(layout, 'U');
            const QRegion& region = skin.windowRegion(layout);
            // The shape is the up image's drawn part, within the drawing surface.
            EXPECT_EQ(region.boundingRect(), QRect(QPoint(0, 0), up.Size()));
            EXPECT_TRUE(QRect(QPoint(0, 0), skin.windowSize()).contains(up.image().rect()));
            EXPECT_FALSE(region.contains(QPoint(0, 0)));  // a rounded corner
            // Every control the layout can hit lies on the window (the closed
            // tray's controls are not hit in the normal layout).
            for (int i = 0; i < ui::kPlayerControlCount; ++i) {
                const QRect& r = skin.controlRect(i);
                const bool tray = i >= ui::kVolumeUpW && i <= ui::kHelp;
                EXPECT_TRUE(r.isEmpty() || (tray && layout == SkinLayout::Normal) ||
                            region.contains(r.center()))
                    << i;
            }
            for (const int i : {ui::kPlay, ui::kStop, ui::kPower, ui::kSizeBtn, ui::kTitleWnd,
                                ui::kVolumeWnd, ui::kPlayInfoWnd, ui::kCommand}) {
                EXPECT_FALSE(skin.controlRect(i).isEmpty()) << i;
            }
            for (const char state : {'D', 'F', 'S'}) {
                EXPECT_NE(skin.stateImage(layout, state).image(), up.image()) << state;
            }
            EXPECT_EQ(skin.stateImage(layout, 'U', true).image(),
                      skin.stateImage(layout, 'S').image());
        }
    }
}

TEST(CSkin, NormalAndWideLoadTogetherAndShareTheControlRectangles) {
    ui::CSkin skin;
    skin.LoadPlayerSkin(kSkinDir / "Navy", SkinLayout::Normal);
    ASSERT_TRUE(skin.complete());
    EXPECT_FALSE(skin.stateImage(SkinLayout::Wide, 'U').isNull());
    EXPECT_TRUE(skin.stateImage(SkinLayout::Mini, 'U').isNull());
    EXPECT_GT(skin.windowRegion(SkinLayout::Wide).boundingRect().height(),
              skin.windowRegion(SkinLayout::Normal).boundingRect().height());
    // The tray's controls lie outside the closed window.
    EXPECT_FALSE(
        skin.windowRegion(SkinLayout::Normal).contains(skin.controlRect(ui::kZorez).center()));
    EXPECT_TRUE(
        skin.windowRegion(SkinLayout::Wide).contains(skin.controlRect(ui::kZorez).center()));
    skin.LoadPlayerSkin(kSkinDir / "Navy", SkinLayout::Mini);
    EXPECT_TRUE(skin.isMini());
    EXPECT_TRUE(skin.stateImage(SkinLayout::Normal, 'U').isNull());
    EXPECT_TRUE(skin.controlRect(ui::kZorez).isEmpty());  // not in "MinRect"
}

TEST(CSkin, RefusedOrMissingFilesLeaveTheirImagesEmptyAndSayWhy) {
    testsupport::TempDir dir;
    const std::filesystem::path folder = dir.path() / "Broken";
    std::filesystem::copy(kSkinDir / "Navy", folder);
    BmpBuilder palette;
    palette.bits = 8;
    const auto bytes = palette.bytes();
    std::ofstream(folder / "font_a.bmp", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::filesystem::remove(folder / "PlayerFW.bmp");
    std::filesystem::copy_file(folder / "PlayerU.bmp", folder / "PlayerDW.bmp",
                               std::filesystem::copy_options::overwrite_existing);
    ui::CSkin skin;
    skin.LoadPlayerSkin(folder, SkinLayout::Normal);
    ASSERT_EQ(skin.errors().size(), 3u);
    EXPECT_NE(skin.errors()[0].find("font_a.bmp: a bitmap of 256 colours or fewer"),
              std::string::npos);
    EXPECT_NE(
        skin.errors()[1].find("PlayerDW.bmp: 360 x 116 pixels where the skin needs 360 x 164"),
        std::string::npos)
        << skin.errors()[1];
    EXPECT_NE(skin.errors()[2].find("PlayerFW.bmp: cannot be read"), std::string::npos);
    EXPECT_TRUE(skin.image(ui::FolderImage::FontA).isNull());
    EXPECT_TRUE(skin.stateImage(SkinLayout::Wide, 'D').isNull());
    EXPECT_FALSE(skin.image(ui::FolderImage::FontB).isNull());
    EXPECT_FALSE(skin.windowRegion(SkinLayout::Normal).isEmpty());

    skin.LoadPlayerSkin(dir.path() / "Nowhere", SkinLayout::Normal);
    EXPECT_EQ(skin.skinName(), "Navy");
    EXPECT_EQ(skin.baseName(), "PlayerU");
    EXPECT_EQ(skin.maskColor(), 0xFF000000u);
    EXPECT_TRUE(skin.constRect().isEmpty());
    EXPECT_TRUE(skin.controlRect(ui::kPlay).isEmpty());
    EXPECT_NE(skin.errors().front().find("Skin.ini: not found"), std::string::npos);
}

}  // namespace
