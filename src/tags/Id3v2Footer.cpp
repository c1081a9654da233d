#include "tags/Id3v2Footer.h"

#include <cstdint>
#include <fstream>

namespace tags {

namespace {

constexpr size_t kHeaderSize = 10;
constexpr size_t kFooterSize = 10;
constexpr uint8_t kFooterFlag = 0x10;

uint32_t syncsafe(const std::string& header) {
    uint32_t size = 0;
    for (size_t i = 6; i < kHeaderSize; ++i) {
        size = (size << 7) | (static_cast<uint8_t>(header[i]) & 0x7F);
    }
    return size;
}

void setSyncsafe(std::string& header, uint32_t size) {
    for (size_t i = kHeaderSize; i-- > 6; size >>= 7) {
        header[i] = static_cast<char>(size & 0x7F);
    }
}

bool hasFooter(const std::string& header) {
    return header.size() == kHeaderSize && header.compare(0, 3, "ID3") == 0 && header[3] == 4 &&
           (static_cast<uint8_t>(header[5]) & kFooterFlag) != 0;
}

constexpr uint32_t kLargestSize = 0x0FFFFFFF;  // 28 bits

// The leading tag's header when the tag has a footer that is really there:
// a copy of the header led by "3DI" right after the frames. A flag whose
// footer lies past the file's end, or is not one, is left to TagLib.
std::optional<std::string> headerOf(std::istream& in) {
    std::string header(kHeaderSize, '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    if (in.gcount() != static_cast<std::streamsize>(kHeaderSize) || !hasFooter(header) ||
        syncsafe(header) > kLargestSize - kFooterSize) {
        return std::nullopt;
    }
    std::string footer(kFooterSize, '\0');
    in.seekg(static_cast<std::streamoff>(kHeaderSize + syncsafe(header)));
    in.read(footer.data(), static_cast<std::streamsize>(footer.size()));
    if (in.gcount() != static_cast<std::streamsize>(kFooterSize) ||
        footer != "3DI" + header.substr(3)) {
        return std::nullopt;
    }
    in.clear();
    return header;
}

// The header that counts the footer's bytes as padding.
std::string paddedHeader(std::string header) {
    header[5] = static_cast<char>(static_cast<uint8_t>(header[5]) & ~kFooterFlag);
    setSyncsafe(header, syncsafe(header) + kFooterSize);
    return header;
}

}  // namespace

std::optional<std::string> tagWithFooterAsPadding(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const auto header = headerOf(in);
    if (!header) {
        return std::nullopt;
    }
    // The footer is there, so the whole tag is within the file.
    in.seekg(kHeaderSize);
    std::string tag(syncsafe(*header), '\0');
    in.read(tag.data(), static_cast<std::streamsize>(tag.size()));
    return paddedHeader(*header) + tag + std::string(kFooterSize, '\0');
}

bool turnFooterIntoPadding(const std::string& path) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    const auto header = headerOf(file);
    if (!header) {
        return true;
    }
    const std::string padded = paddedHeader(*header);
    file.seekp(0);
    file.write(padded.data(), static_cast<std::streamsize>(padded.size()));
    file.seekp(static_cast<std::streamoff>(kHeaderSize + syncsafe(*header)));
    const std::string zeros(kFooterSize, '\0');
    file.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
    file.flush();
    return static_cast<bool>(file);
}

}  // namespace tags
