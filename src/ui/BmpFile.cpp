#include "ui/BmpFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace ui {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint16_t kBitmapType = 0x4D42;  // "BM"
constexpr std::uint32_t kUncompressed = 0;
// Far beyond any skin; keeps a hostile header from asking for gigabytes.
constexpr std::int64_t kMaxSide = 8192;
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return le16(b, at) | (le16(b, at + 2) << 16);
}

BmpResult refused(std::string why) {
    BmpResult result;
    result.error = std::move(why);
    return result;
}

std::uint32_t expand5(std::uint32_t v) {
    return (v << 3) | (v >> 2);
}

std::uint32_t pixelAt(std::span<const std::uint8_t> row, int x, int bits) {
    if (bits == 16) {
        const std::uint32_t v = le16(row, static_cast<std::size_t>(x) * 2);
        return 0xFF000000u | (expand5((v >> 10) & 31) << 16) | (expand5((v >> 5) & 31) << 8) |
               expand5(v & 31);
    }
    const std::size_t at = static_cast<std::size_t>(x) * (bits / 8);
    return 0xFF000000u | (row[at + 2] << 16) | (row[at + 1] << 8) | row[at];
}

}  // namespace

BmpResult decodeBmp(std::span<const std::uint8_t> file) {
    if (file.size() < kFileHeaderSize || le16(file, 0) != kBitmapType) {
        return refused("not a bitmap file (no \"BM\" header)");
    }
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || le32(file, 14) < kInfoHeaderSize) {
        return refused("the bitmap header is incomplete");
    }
    const auto width = static_cast<std::int32_t>(le32(file, 18));
    const auto rawHeight = static_cast<std::int32_t>(le32(file, 22));
    const std::uint32_t bits = le16(file, 28);
    const std::uint32_t compression = le32(file, 30);
    const std::uint32_t usedColours = le32(file, 46);
    const std::uint64_t colours = usedColours != 0 ? usedColours
                                  : bits < 32      ? std::uint64_t{1} << bits
                                                   : std::uint64_t{1} << 32;
    if (colours <= 256) {
        return refused("a bitmap of 256 colours or fewer (" + std::to_string(bits) +
                       " bits per pixel); skins need 16, 24 or 32 bits");
    }
    if (bits != 16 && bits != 24 && bits != 32) {
        return refused("unsupported " + std::to_string(bits) + " bits per pixel");
    }
    if (compression != kUncompressed) {
        return refused("a compressed bitmap (compression " + std::to_string(compression) + ")");
    }
    const std::int64_t height = rawHeight < 0 ? -std::int64_t{rawHeight} : rawHeight;
    if (width <= 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        return refused("an unusable size of " + std::to_string(width) + " x " +
                       std::to_string(rawHeight) + " pixels");
    }
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::size_t offset = le32(file, 10);
    if (offset < kFileHeaderSize + kInfoHeaderSize || offset > file.size() ||
        (file.size() - offset) / stride < static_cast<std::size_t>(height)) {
        return refused("the file ends before its pixels do");
    }
    BmpResult result;
    BmpImage& image = result.image;
    image.width = width;
    image.height = static_cast<int>(height);
    image.pixels.resize(static_cast<std::size_t>(width) * image.height);
    const bool topDown = rawHeight < 0;
    for (int y = 0; y < image.height; ++y) {
        const int stored = topDown ? y : image.height - 1 - y;
        const auto row = file.subspan(offset + stride * stored, stride);
        std::uint32_t* out = image.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            out[x] = pixelAt(row, x, static_cast<int>(bits));
        }
    }
    return result;
}

BmpResult readBmpFile(const std::filesystem::path& path) {
    const std::string name = path.string() + ": ";
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return refused(name + "cannot be read (" + ec.message() + ")");
    }
    if (size > kMaxFileSize) {
        return refused(name + "too large for a skin bitmap");
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        return refused(name + "cannot be read");
    }
    BmpResult result = decodeBmp(bytes);
    if (!result.ok()) {
        result.error.insert(0, name);
    }
    return result;
}

std::string writeBmp24(const std::filesystem::path& path, const BmpImage& image) {
    const std::size_t stride = ((static_cast<std::size_t>(image.width) * 24 + 31) / 32) * 4;
    const std::size_t pixelBytes = stride * image.height;
    std::vector<std::uint8_t> out(kFileHeaderSize + kInfoHeaderSize + pixelBytes, 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = v & 0xFF;
        out[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    put16(0, kBitmapType);
    put32(2, static_cast<std::uint32_t>(out.size()));
    put32(10, kFileHeaderSize + kInfoHeaderSize);
    put32(14, kInfoHeaderSize);
    put32(18, static_cast<std::uint32_t>(image.width));
    put32(22, static_cast<std::uint32_t>(image.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, static_cast<std::uint32_t>(pixelBytes));
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = out.data() + kFileHeaderSize + kInfoHeaderSize +
                            stride * static_cast<std::size_t>(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            row[x * 3] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
    }
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        if (!file.flush()) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return path.string() + ": cannot be written";
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return path.string() + ": cannot be written";
    }
    return {};
}

}  // namespace ui
