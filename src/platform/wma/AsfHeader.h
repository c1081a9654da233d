#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace platform::wma::asf {

// Byte layout of ASF objects: a GUID, a 64-bit size, then the object's data.
inline constexpr size_t kObjectHeaderSize = 24;
// Children of the header object follow its count and two reserved bytes.
inline constexpr size_t kHeaderChildrenAt = 30;
// Children of the header extension follow a reserved GUID, a reserved word
// and the data size.
inline constexpr size_t kExtensionChildrenAt = 46;

uint64_t readU64(std::span<const uint8_t> bytes, size_t at);
void writeU64(std::span<uint8_t> bytes, size_t at, uint64_t value);

// Where an object lies within the bytes that hold it.
struct ObjectSpan {
    size_t offset = 0;
    size_t size = 0;
};

// The objects from `at` to the end of `bytes`; a size that does not fit
// ends the list, so damaged data yields what is readable.
std::vector<ObjectSpan> childObjects(std::span<const uint8_t> bytes, size_t at);

// The header object at the start of the file (limited to 16 MiB, cut short
// when the file is); empty when the file is unreadable or not ASF.
std::vector<uint8_t> readHeaderObject(const std::filesystem::path& path);

// The play length (in 100 ns units, without the preroll) from the file
// properties object of a header object; nothing when the header states none.
std::optional<uint64_t> playDuration(std::span<const uint8_t> header);

// The file's size as its file properties object states it; nothing when the
// header states none (a file written without seeking back).
std::optional<uint64_t> statedFileSize(std::span<const uint8_t> header);

// Sets the play length (in 100 ns units, without the preroll) in the file
// properties object of an ASF file. False when the file is not writable or
// has no such object.
bool setPlayDuration(const std::filesystem::path& path, uint64_t duration100ns);

}  // namespace platform::wma::asf
