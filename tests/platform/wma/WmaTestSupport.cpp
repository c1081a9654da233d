#include "WmaTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>

#include "platform/wma/AsfHeader.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaModule.h"
#include "platform/wma/WmaWriter.h"

namespace wmatest {

namespace fs = std::filesystem;
using namespace platform::wma;

Pcm tone(uint32_t rate, uint16_t channels, size_t frames, size_t onset, double hz, int amplitude) {
    Pcm pcm{rate, channels, std::vector<int16_t>(frames * channels)};
    for (size_t i = onset; i < frames; ++i) {
        const double phase = 2 * std::numbers::pi * hz * double(i - onset) / rate;
        const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(phase + 0.5)));
        for (size_t c = 0; c < channels; ++c) {
            pcm.samples[i * channels + c] = v;
        }
    }
    return pcm;
}

size_t onsetOf(const Pcm& pcm, int threshold) {
    for (size_t i = 0; i < pcm.frames(); ++i) {
        if (std::abs(pcm.samples[i * pcm.channels]) >= threshold) {
            return i;
        }
    }
    return pcm.frames();
}

double levelDb(const Pcm& pcm, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        const double v = pcm.samples[i * pcm.channels] / 32768.0;
        sum += v * v;
    }
    return 10 * std::log10(sum / double(to - from) + 1e-20);
}

void writeWma(const fs::path& path, const Pcm& pcm, const OutputSettings& output,
              const Attributes& attributes) {
    const auto writer = wmaCodec().createWriter(path, pcm.format(), output, attributes);
    writer->write(pcm.bytes());
    writer->finish();
}

Pcm decodeAll(const fs::path& path) {
    const auto decoder = wmaCodec().openDecoder(path);
    Pcm pcm{decoder->info().sampleRate, decoder->info().channels, {}};
    for (auto block = decoder->next(); !block.empty(); block = decoder->next()) {
        const auto* s = reinterpret_cast<const int16_t*>(block.data());
        pcm.samples.insert(pcm.samples.end(), s, s + block.size() / 2);
    }
    return pcm;
}

size_t findGuid(std::span<const uint8_t> bytes, const AsfGuid& guid) {
    for (size_t i = 0; i + guid.size() <= bytes.size(); ++i) {
        if (guidAt(bytes, i, guid)) {
            return i;
        }
    }
    return std::string::npos;
}

void insertHeaderObject(const fs::path& path, const AsfGuid& guid,
                        std::span<const uint8_t> payload) {
    std::vector<uint8_t> file = readBytes(path);
    ASSERT_TRUE(guidAt(file, 0, asf::kHeader));
    std::vector<uint8_t> object(guid.begin(), guid.end());
    object.resize(asf::kObjectHeaderSize);
    asf::writeU64(object, 16, asf::kObjectHeaderSize + payload.size());
    object.insert(object.end(), payload.begin(), payload.end());
    const uint64_t headerSize = asf::readU64(file, 16);
    file.insert(file.begin() + static_cast<ptrdiff_t>(headerSize), object.begin(), object.end());
    asf::writeU64(file, 16, headerSize + object.size());
    ++file[24];  // object count, low byte
    writeBytes(path, file);
}

namespace {

constexpr size_t kMinPacketSizeAt = 92, kMaxPacketSizeAt = 96;  // in the file properties

}  // namespace

uint32_t packetSize(std::span<const uint8_t> file) {
    const size_t at = findGuid(file, asf::kFileProperties) + kMinPacketSizeAt;
    return uint32_t{file[at]} | uint32_t{file[at + 1]} << 8 | uint32_t{file[at + 2]} << 16 |
           uint32_t{file[at + 3]} << 24;
}

void setPacketSize(const fs::path& path, uint32_t size) {
    std::vector<uint8_t> bytes = readBytes(path);
    const size_t at = findGuid(bytes, asf::kFileProperties);
    ASSERT_NE(at, std::string::npos);
    for (const size_t field : {kMinPacketSizeAt, kMaxPacketSizeAt}) {
        for (size_t i = 0; i < 4; ++i) {
            bytes[at + field + i] = static_cast<uint8_t>(size >> (8 * i));
        }
    }
    writeBytes(path, bytes);
}

bool haveFfmpegProgram() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

}  // namespace wmatest
