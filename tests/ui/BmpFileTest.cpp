#include "ui/BmpFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"
#include "ui/BmpBuilder.h"

namespace {

using testsupport::TempDir;

struct BmpCase {
    const char* name;
    BmpBuilder bmp;
    std::size_t cut;    // bytes removed from the end
    const char* error;  // part of the refusal, nullptr when accepted
};

BmpBuilder with(auto change) {
    BmpBuilder b;
    change(b);
    return b;
}

const BmpCase kCases[] = {
    {"24-bit bottom-up", with([](BmpBuilder& b) { b.width = 3; }), 0, nullptr},
    {"24-bit top-down", with([](BmpBuilder& b) { b.height = -3; }), 0, nullptr},
    {"32-bit", with([](BmpBuilder& b) { b.bits = 32; }), 0, nullptr},
    {"16-bit", with([](BmpBuilder& b) { b.bits = 16; }), 0, nullptr},
    {"a larger header before the pixels",
     with([](BmpBuilder& b) { b.headerSize = 124, b.pixelOffset = 138; }), 0, nullptr},
    {"8-bit palette", with([](BmpBuilder& b) { b.bits = 8; }), 0, "256 colours or fewer"},
    {"1-bit palette", with([](BmpBuilder& b) { b.bits = 1; }), 0, "256 colours or fewer"},
    {"24-bit naming 256 used colours", with([](BmpBuilder& b) { b.usedColours = 256; }), 0,
     "256 colours or fewer"},
    {"compressed", with([](BmpBuilder& b) { b.bits = 32, b.compression = 3; }), 0, "compressed"},
    {"zero width", with([](BmpBuilder& b) { b.width = 0; }), 0, "unusable size"},
    {"huge height", with([](BmpBuilder& b) { b.height = 9000; }), 0, "unusable size"},
    {"pixels cut short", BmpBuilder{}, 1, "ends before its pixels"},
    {"pixel offset past the end", with([](BmpBuilder& b) { b.pixelOffset = 4000; }), 3900,
     "ends before its pixels"},
    {"information header cut", BmpBuilder{}, 16 + 20, "header is incomplete"},
    {"file header only", BmpBuilder{}, 16 + 40, "header is incomplete"},
    {"shorter than the file header", BmpBuilder{}, 16 + 45, "no \"BM\" header"},
};

TEST(BmpFile, AcceptsOnlyUncompressedBitmapsOfMoreThan256ColoursThatHoldTheirPixels) {
    for (const BmpCase& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = c.bmp.bytes();
        bytes.resize(bytes.size() - c.cut);
        const ui::BmpResult result = ui::decodeBmp(bytes);
        if (c.error) {
            EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
            EXPECT_TRUE(result.image.pixels.empty());
            continue;
        }
        ASSERT_TRUE(result.ok()) << result.error;
        const int rows = c.bmp.height < 0 ? -c.bmp.height : c.bmp.height;
        ASSERT_EQ(result.image.width, c.bmp.width);
        ASSERT_EQ(result.image.height, rows);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < c.bmp.width; ++x) {
                // 16 bits keep five bits per channel.
                const std::uint32_t keep = c.bmp.bits == 16 ? 0xF8F8F8u : 0xFFFFFFu;
                EXPECT_EQ(result.image.pixels[y * c.bmp.width + x] & keep,
                          BmpBuilder::colourAt(x, y) & keep)
                    << x << "," << y;
                EXPECT_EQ(result.image.pixels[y * c.bmp.width + x] >> 24, 0xFFu);
            }
        }
    }
}

TEST(BmpFile, RefusalsNameTheFileAndWrittenBitmapsReadBack) {
    TempDir dir;
    EXPECT_EQ(ui::readBmpFile(dir.path() / "none.bmp")
                  .error.rfind((dir.path() / "none.bmp").string() + ": cannot be read", 0),
              0u);
    const auto palette = with([](BmpBuilder& b) { b.bits = 8; }).bytes();
    std::ofstream(dir.path() / "p.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(palette.data()), palette.size());
    const std::string error = ui::readBmpFile(dir.path() / "p.bmp").error;
    EXPECT_EQ(error.rfind((dir.path() / "p.bmp").string() + ": ", 0), 0u) << error;

    ui::BmpImage image{5, 3, {}};  // odd width: rows are padded
    for (int i = 0; i < 15; ++i) {
        image.pixels.push_back(0xFF000000u | (i * 0x0F0D0Bu & 0xFFFFFF));
    }
    ASSERT_EQ(ui::writeBmp24(dir.path() / "w.bmp", image), "");
    const ui::BmpResult back = ui::readBmpFile(dir.path() / "w.bmp");
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.image.pixels, image.pixels);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "w.bmp.tmp"));
    EXPECT_NE(ui::writeBmp24(dir.path() / "missing" / "w.bmp", image), "");
}

}  // namespace
