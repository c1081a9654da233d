#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/acm/CodecRegistry.h"
#include "support/TempDir.h"

// Helpers for exchanging WAVE files with outside tools in tests: a minimal
// RIFF reader and writer, a temporary folder, and a driver that converts a
// whole buffer the way the stream components use the layer.
namespace acmtest {

struct WaveFile {
    platform::WaveFormat format;
    std::vector<uint8_t> data;
    std::optional<uint32_t> factFrames;
};

// Throws std::runtime_error when the file is not a WAVE file with fmt and data.
WaveFile readWave(const std::filesystem::path& path);
void writeWave(const std::filesystem::path& path, const WaveFile& wave);

using TempDir = testsupport::TempDir;

bool haveTool(const std::string& name);
// Runs a shell command with its output discarded; true when it exits 0.
bool run(const std::string& command);
// What a shell command prints, errors included.
std::string outputOf(const std::string& command);
// ffmpeg's 16-bit decode of `file` through the scratch WAVE file `pcm`;
// what ffmpeg complained of goes to `complaint` (empty when nothing).
std::vector<int16_t> ffmpegDecode(const std::filesystem::path& file,
                                  const std::filesystem::path& pcm, std::string& complaint);

// Converts `input` in pieces of at most `chunkBytes`: block-aligned converts
// while input lasts, unconsumed bytes carried to the next piece, then the
// end-of-stream sequence (block align, block align + end, end) until
// nothing more comes out. Throws std::runtime_error when a call fails.
std::vector<uint8_t> convertAll(const platform::acm::CodecRegistry& codecs,
                                const platform::WaveFormat& from, const platform::WaveFormat& to,
                                std::span<const uint8_t> input, size_t chunkBytes);

// 16-bit samples as bytes and back.
std::vector<uint8_t> toBytes(std::span<const int16_t> samples);
std::vector<int16_t> toSamples(std::span<const uint8_t> bytes);

// A test signal: a rising sweep with a little noise, 16-bit, interleaved.
std::vector<int16_t> sweep(uint32_t rate, uint16_t channels, double seconds, double amplitude);

}  // namespace acmtest
