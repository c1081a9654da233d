#include "ui/SkinImage.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <fstream>

#include "support/TempDir.h"
#include "ui/BmpFile.h"
#include "ui/DigitStrip.h"
#include "ui/PositionSlider.h"

namespace {

constexpr QRgb kMagenta = 0xFFFF00FFu;

// A 9 x 6 image: magenta outside a ring, with a magenta hole in the middle.
QImage ringImage() {
    QImage image(9, 6, QImage::Format_RGB32);
    image.fill(kMagenta);
    for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 8; ++x) {
            const bool hole = y >= 2 && y <= 3 && x >= 3 && x <= 5;
            image.setPixel(x, y, hole ? kMagenta : qRgb(x * 20, y * 20, 7));
        }
    }
    return image;
}

TEST(SkinImage, TheRegionHoldsExactlyThePixelsThatAreNotTheMaskColour) {
    const QImage image = ringImage();
    const QRegion region = ui::regionFromMask(image, kMagenta);
    for (int y = -1; y <= image.height(); ++y) {
        for (int x = -1; x <= image.width(); ++x) {
            const bool inside = image.valid(x, y) && image.pixel(x, y) != kMagenta;
            EXPECT_EQ(region.contains(QPoint(x, y)), inside) << x << "," << y;
        }
    }
    EXPECT_TRUE(ui::regionFromMask(QImage(), kMagenta).isEmpty());
    ui::SkinImage noMask;
    noMask.setImage(image);
    EXPECT_EQ(noMask.BuildRegion().boundingRect(), image.rect());  // black is the default
}

TEST(SkinImage, TransparentDrawingShowsTheBackgroundOnlyWhereTheMaskColourIs) {
    ui::SkinImage ring;
    ring.setImage(ringImage());
    auto drawn = [&ring] {
        QImage target(11, 8, QImage::Format_RGB32);
        target.fill(Qt::black);
        QPainter painter(&target);
        ring.DrawTransparent(painter, QRect(0, 0, 9, 6), QPoint(2, 2));
        return target;
    };
    EXPECT_EQ(drawn().pixel(2, 2), kMagenta);  // no mask colour yet: copied as it is
    ring.SetMaskColor(kMagenta);
    ring.BuildMask();
    const QImage target = drawn();
    EXPECT_EQ(target.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(6, 4), qRgb(0, 0, 0));  // the hole
    EXPECT_EQ(target.pixel(3, 3), qRgb(20, 20, 7));
    EXPECT_EQ(target.pixel(9, 6), qRgb(140, 80, 7));
}

TEST(SkinImage, LoadRefusesBitmapsOfAnotherSizeThanTheSkinNeeds) {
    testsupport::TempDir dir;
    ui::BmpImage bmp{4, 3, std::vector<std::uint32_t>(12, 0xFF102030u)};
    ASSERT_EQ(ui::writeBmp24(dir.path() / "PlayerU.bmp", bmp), "");
    ui::SkinImage image;
    EXPECT_EQ(image.Load(dir.path() / "PlayerU", QSize(4, 3)), "");
    EXPECT_EQ(image.Size(), QSize(4, 3));
    EXPECT_EQ(image.image().pixel(3, 2), 0xFF102030u);
    const std::string error = image.Load(dir.path() / "PlayerU", QSize(5, 3));
    EXPECT_NE(error.find("PlayerU.bmp: 4 x 3 pixels where the skin needs 5 x 3"), std::string::npos)
        << error;
    EXPECT_TRUE(image.isNull());
    EXPECT_NE(image.Load(dir.path() / "Missing"), "");
    QImage target(2, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    image.Draw(painter, 0, 0);  // an empty image draws nothing
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
}

// A strip whose cell i is filled with grey level i * 10.
ui::SkinImage stripOf(int width) {
    QImage image(width, 2, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));  // the remainder past the 15 cells
    const int cell = width / ui::kStripCells;
    for (int i = 0; i < ui::kStripCells; ++i) {
        for (int x = 0; x < cell; ++x) {
            image.setPixel(i * cell + x, 0, qRgb(i * 10, i * 10, i * 10));
            image.setPixel(i * cell + x, 1, qRgb(i * 10, i * 10, i * 10));
        }
    }
    ui::SkinImage strip;
    strip.setImage(image);
    return strip;
}

// The cells drawn, read back from the grey levels.
std::vector<int> cellsDrawn(const ui::SkinImage& strip, int value, int count, bool suppress,
                            int* end = nullptr) {
    const int cell = strip.Size().width() / ui::kStripCells;
    QImage target(cell * count + 3, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        const int x = ui::DrawDigits(painter, 3, 0, value, count, strip, suppress);
        if (end) {
            *end = x;
        }
    }
    std::vector<int> cells;
    for (int i = 0; i < count; ++i) {
        cells.push_back(qRed(target.pixel(3 + i * cell, 0)) / 10);
        EXPECT_EQ(target.pixel(3 + i * cell, 0), target.pixel(3 + i * cell + cell - 1, 1));
    }
    return cells;
}

TEST(DigitStrip, DrawsFixedCellsMostSignificantFirst) {
    const ui::SkinImage strip = stripOf(150);
    const int b = ui::kBlankCell;
    int end = 0;
    EXPECT_EQ(cellsDrawn(strip, ui::trackCounterValue(6), 3, false, &end),
              (std::vector<int>{0, 0, 7}));
    EXPECT_EQ(end, 3 + 30);
    EXPECT_EQ(cellsDrawn(strip, ui::trackCounterValue(999), 3, false), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(cellsDrawn(strip, ui::trackCounterValue(-1), 3, false), (std::vector<int>{b, b, b}));
    EXPECT_EQ(cellsDrawn(strip, 1205, 6, true), (std::vector<int>{b, b, 1, 2, 0, 5}));
    EXPECT_EQ(cellsDrawn(strip, 1205, 6, false), (std::vector<int>{0, 0, 1, 2, 0, 5}));
    EXPECT_EQ(cellsDrawn(strip, 0, 2, true), (std::vector<int>{b, b}));
    EXPECT_EQ(cellsDrawn(strip, 98765, 3, false), (std::vector<int>{7, 6, 5}));
    EXPECT_EQ(cellsDrawn(strip, 2147483647, 12, false),
              (std::vector<int>{0, 0, 2, 1, 4, 7, 4, 8, 3, 6, 4, 7}));
    // 155 pixels still make 10-pixel cells.
    EXPECT_EQ(cellsDrawn(stripOf(155), 42, 2, false), (std::vector<int>{4, 2}));
    EXPECT_EQ(ui::trackCounterValue(0), 1);
    EXPECT_EQ(ui::trackCounterValue(998), 999);
    EXPECT_EQ(ui::trackCounterValue(5000), 999);
}

TEST(PositionSlider, TheThumbTravelsTheTrackInThousandths) {
    ui::PositionSlider slider;
    slider.setTrack(QRect(10, 5, 220, 8), QSize(20, 8));
    EXPECT_EQ(slider.thumbRect(), QRect(10, 5, 20, 8));
    slider.setPosition(1000);
    EXPECT_EQ(slider.thumbRect().left(), 210);
    slider.setPosition(333);
    EXPECT_EQ(slider.thumbRect().left(), 10 + 333 * 200 / 1000);
    slider.setPosition(-4);
    EXPECT_EQ(slider.position(), 0);
    slider.setPosition(4000);
    EXPECT_EQ(slider.position(), 1000);
    EXPECT_EQ(slider.positionAt(20), 0);
    EXPECT_EQ(slider.positionAt(120), 500);
    EXPECT_EQ(slider.positionAt(500), 1000);
    EXPECT_EQ(slider.positionAt(-500), 0);
    slider.setTrack(QRect(0, 0, 10, 8), QSize(20, 8));  // no room to travel
    EXPECT_EQ(slider.positionAt(5), 0);
    EXPECT_EQ(slider.thumbRect().left(), 0);
}

}  // namespace
