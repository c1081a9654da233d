#include "stream/FileFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace nxss {

namespace {

constexpr size_t kSniffBytes = 12;
constexpr uint8_t kAsfGuid[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
constexpr uint8_t kMatroska[] = {0x1A, 0x45, 0xDF, 0xA3};

bool startsWith(const uint8_t* bytes, const void* magic, size_t size) {
    return std::memcmp(bytes, magic, size) == 0;
}

// An MPEG audio frame header: 11 sync bits, then the layer in bits 2-1 of
// the second byte (01 = layer III; 00 is ADTS, which carries AAC).
FileFormat mpegSync(const uint8_t* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return FileFormat::None;
    }
    const int layer = (b[1] >> 1) & 3;
    return layer == 1 ? FileFormat::Mp3 : layer == 0 ? FileFormat::Media : FileFormat::None;
}

bool mediaMagic(const uint8_t* b) {
    static constexpr const char* kMagic[] = {"fLaC", "OggS", "FORM", "MAC ",
                                             "wvpk", "MPCK", "TTA1", "caff"};
    return std::any_of(std::begin(kMagic), std::end(kMagic),
                       [&](const char* m) { return startsWith(b, m, 4); }) ||
           startsWith(b + 4, "ftyp", 4) || startsWith(b, kMatroska, sizeof kMatroska) ||
           startsWith(b, "MP+", 3) || (b[0] == 0x0B && b[1] == 0x77);
}

}  // namespace

FileFormat formatOfExtension(std::string_view extension) {
    if (extension == "mp3") {
        return FileFormat::Mp3;
    }
    if (extension == "wav" || extension == "rmp") {
        return FileFormat::Riff;
    }
    if (extension == "wma") {
        return FileFormat::Wma;
    }
    const bool media = std::any_of(kMediaExtensions.begin(), kMediaExtensions.end(),
                                   [&](const char* e) { return extension == e; });
    return media ? FileFormat::Media : FileFormat::None;
}

FileFormat sniffFileFormat(const std::string& path) {
    uint8_t b[kSniffBytes] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(b), sizeof b)) {
        return FileFormat::None;
    }
    if (startsWith(b, "ID3", 3)) {
        return FileFormat::Mp3;
    }
    if (startsWith(b, "RIFF", 4)) {
        return FileFormat::Riff;
    }
    if (startsWith(b, kAsfGuid, sizeof kAsfGuid)) {
        return FileFormat::Wma;
    }
    if (mediaMagic(b)) {
        return FileFormat::Media;
    }
    return mpegSync(b);
}

}  // namespace nxss
