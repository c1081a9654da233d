#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace ui {

// A decoded bitmap: rows from the top, each pixel 0xFFRRGGBB.
struct BmpImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// A decoded bitmap, or the reason it was refused (the image then is empty).
struct BmpResult {
    BmpImage image;
    std::string error;
    bool ok() const { return error.empty(); }
};

// Skin bitmaps are taken only as uncompressed 16, 24 or 32 bits per pixel
// (more than 256 colours), rows bottom-up or top-down; palette bitmaps,
// compressed ones and files shorter than their pixels are refused.
BmpResult decodeBmp(std::span<const std::uint8_t> file);

// Reads and decodes one file; an error names the file.
BmpResult readBmpFile(const std::filesystem::path& path);

// Writes a 24-bit bottom-up bitmap through a temporary file, so a failed
// write never leaves a half-written file. Returns an error text, empty on
// success.
std::string writeBmp24(const std::filesystem::path& path, const BmpImage& image);

}  // namespace ui
