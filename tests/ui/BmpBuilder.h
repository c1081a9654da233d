#pragma once

#include <cstdint>
#include <vector>

// Builds bitmap files byte by byte, so tests can make every header the
// skin reader must refuse.
struct BmpBuilder {
    int width = 2;
    int height = 2;  // negative: rows stored top-down
    int bits = 24;
    std::uint32_t usedColours = 0;
    std::uint32_t compression = 0;
    std::uint32_t pixelOffset = 54;
    std::uint32_t headerSize = 40;

    // Pixel (x, y) from the top has the colour 0xRRGGBB = x * 0x10 + y * 0x1000 + 0x20000.
    static std::uint32_t colourAt(int x, int y) { return 0x20000u + x * 0x10u + y * 0x1000u; }

    std::vector<std::uint8_t> bytes() const {
        const int rows = height < 0 ? -height : height;
        const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
        std::vector<std::uint8_t> b(pixelOffset + stride * rows, 0);
        auto put = [&](std::size_t at, std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i) {
                b[at + i] = (v >> (8 * i)) & 0xFF;
            }
        };
        put(0, 0x4D42, 2);
        put(2, static_cast<std::uint32_t>(b.size()), 4);
        put(10, pixelOffset, 4);
        put(14, headerSize, 4);
        put(18, static_cast<std::uint32_t>(width), 4);
        put(22, static_cast<std::uint32_t>(height), 4);
        put(26, 1, 2);
        put(28, static_cast<std::uint32_t>(bits), 2);
        put(30, compression, 4);
        put(46, usedColours, 4);
        for (int y = 0; y < rows; ++y) {
            const int stored = height < 0 ? y : rows - 1 - y;
            for (int x = 0; x < width && bits >= 16; ++x) {
                const std::uint32_t c = colourAt(x, y);
                const std::size_t at = pixelOffset + stride * stored + x * (bits / 8);
                if (bits == 16) {
                    put(at, ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31), 2);
                } else {
                    put(at, c, bits / 8);
                }
            }
        }
        return b;
    }
};
