#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/WaveFormat.h"
#include "platform/wma/AsfGuid.h"
#include "platform/wma/Attributes.h"
#include "platform/wma/OutputFormats.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace wmatest {

// The rate the tests' tones are made at.
inline constexpr uint32_t kRate = 44100;

using TempDir = testsupport::TempDir;

// Interleaved 16-bit PCM.
struct Pcm {
    uint32_t rate = 0;
    uint16_t channels = 0;
    std::vector<int16_t> samples;

    size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
    std::span<const uint8_t> bytes() const {
        return {reinterpret_cast<const uint8_t*>(samples.data()), samples.size() * 2};
    }
    platform::WaveFormat format() const { return platform::WaveFormat::pcm(channels, rate, 16); }
};

// Silence up to `onset`, then a sine of `hz` at `amplitude` until `frames`.
Pcm tone(uint32_t rate, uint16_t channels, size_t frames, size_t onset, double hz = 1000,
         int amplitude = 12000);

// First frame whose first channel reaches `threshold`, or frames() when none.
size_t onsetOf(const Pcm& pcm, int threshold = 3000);
// RMS level in dB (full scale 32768) of the first channel over [from, to).
double levelDb(const Pcm& pcm, size_t from, size_t to);

void writeWma(const std::filesystem::path& path, const Pcm& pcm,
              const platform::wma::OutputSettings& output,
              const platform::wma::Attributes& attributes = {});
// Every block WmaDecoder delivers, joined.
Pcm decodeAll(const std::filesystem::path& path);

using testsupport::readBytes;
using testsupport::writeBytes;
// Offset of the first occurrence of `guid` in `bytes`, or npos.
size_t findGuid(std::span<const uint8_t> bytes, const platform::wma::AsfGuid& guid);
// Adds an object (GUID, size, payload) at the end of the file's header
// object and fixes the header's size and object count.
void insertHeaderObject(const std::filesystem::path& path, const platform::wma::AsfGuid& guid,
                        std::span<const uint8_t> payload);

// The data packet size the file properties object states, and setting it
// (as the minimum and the maximum).
uint32_t packetSize(std::span<const uint8_t> file);
void setPacketSize(const std::filesystem::path& path, uint32_t size);

// Whether the ffmpeg program is there to make files the way other tools do.
bool haveFfmpegProgram();

}  // namespace wmatest
