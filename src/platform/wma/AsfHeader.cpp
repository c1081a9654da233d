#include "platform/wma/AsfHeader.h"

#include <algorithm>
#include <fstream>

#include "platform/wma/AsfGuid.h"

namespace platform::wma::asf {

namespace {

constexpr uint64_t kMaxHeaderBytes = 16 << 20;  // far above any real header
constexpr uint64_t kReadPiece = 64 << 10;
// Fields within the file properties object.
constexpr size_t kFileSizeAt = 40;
constexpr size_t kPlayDurationAt = 64;
constexpr size_t kPrerollAt = 80;  // milliseconds
constexpr uint64_t kHundredNsPerMs = 10000;

}  // namespace

uint64_t readU64(std::span<const uint8_t> bytes, size_t at) {
    uint64_t v = 0;
    for (size_t i = 8; i-- > 0;) {
        v = v << 8 | bytes[at + i];
    }
    return v;
}

void writeU64(std::span<uint8_t> bytes, size_t at, uint64_t value) {
    for (size_t i = 0; i < 8; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

std::vector<ObjectSpan> childObjects(std::span<const uint8_t> bytes, size_t at) {
    std::vector<ObjectSpan> objects;
    while (at <= bytes.size() && bytes.size() - at >= kObjectHeaderSize) {
        const uint64_t size = readU64(bytes, at + 16);
        if (size < kObjectHeaderSize || size > bytes.size() - at) {
            break;
        }
        objects.push_back({at, static_cast<size_t>(size)});
        at += static_cast<size_t>(size);
    }
    return objects;
}

std::vector<uint8_t> readHeaderObject(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(kHeaderChildrenAt);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())) ||
        !guidAt(bytes, 0, kHeader)) {
        return {};
    }
    // Read in pieces: a short file claiming a large header costs no more
    // memory than the file holds.
    const uint64_t size = std::min(readU64(bytes, 16), kMaxHeaderBytes);
    while (bytes.size() < size && in) {
        const size_t at = bytes.size();
        const auto piece = static_cast<size_t>(std::min<uint64_t>(size - at, kReadPiece));
        bytes.resize(at + piece);
        in.read(reinterpret_cast<char*>(bytes.data() + at), std::streamsize(piece));
        bytes.resize(at + static_cast<size_t>(in.gcount()));
    }
    return bytes;
}

namespace {

// The file properties object within a header object.
std::optional<ObjectSpan> fileProperties(std::span<const uint8_t> header) {
    for (const ObjectSpan& o : childObjects(header, kHeaderChildrenAt)) {
        if (guidAt(header, o.offset, kFileProperties) && o.size >= kPrerollAt + 8) {
            return o;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> playDuration(std::span<const uint8_t> header) {
    if (header.size() < kHeaderChildrenAt) {
        return std::nullopt;
    }
    const auto o = fileProperties(header);
    if (!o) {
        return std::nullopt;
    }
    const uint64_t play = readU64(header, o->offset + kPlayDurationAt);
    const uint64_t preroll = readU64(header, o->offset + kPrerollAt) * kHundredNsPerMs;
    return play > preroll ? std::optional<uint64_t>(play - preroll) : std::nullopt;
}

std::optional<uint64_t> statedFileSize(std::span<const uint8_t> header) {
    const auto o = header.size() < kHeaderChildrenAt ? std::nullopt : fileProperties(header);
    const uint64_t size = o ? readU64(header, o->offset + kFileSizeAt) : 0;
    return size > 0 ? std::optional<uint64_t>(size) : std::nullopt;
}

bool setPlayDuration(const std::filesystem::path& path, uint64_t duration100ns) {
    std::vector<uint8_t> header = readHeaderObject(path);
    const auto o = header.empty() ? std::nullopt : fileProperties(header);
    if (!o) {
        return false;
    }
    const uint64_t preroll = readU64(header, o->offset + kPrerollAt) * kHundredNsPerMs;
    uint8_t field[8];
    writeU64(field, 0, duration100ns + preroll);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(std::streamoff(o->offset + kPlayDurationAt));
    file.write(reinterpret_cast<const char*>(field), sizeof field);
    return static_cast<bool>(file.flush());
}

}  // namespace platform::wma::asf
