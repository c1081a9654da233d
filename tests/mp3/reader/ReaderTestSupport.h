#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mp3/reader/CNxSSMp3Reader.h"
#include "support/Files.h"

namespace mp3test {

std::filesystem::path fixture(const std::string& name);
inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    testsupport::writeBytes(path, bytes);
}
inline std::vector<uint8_t> bytesOf(const std::filesystem::path& path) {
    return testsupport::readBytes(path);
}
// A 10-byte ID3v2 header announcing `size` bytes of tag body, and the body.
std::vector<uint8_t> id3v2Tag(uint32_t size);
// The reference decode of a fixture rounded and clipped to 16 bits.
std::vector<int16_t> reference16(const std::string& name);
// Everything the reader delivers from its position on, in packets of 1000 frames.
std::vector<uint8_t> readAll(CNxSSMp3Reader& reader);
std::vector<int16_t> asPcm16(const std::vector<uint8_t>& bytes);

}  // namespace mp3test
