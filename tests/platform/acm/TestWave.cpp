#include "TestWave.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/acm/Stream.h"
#include "support/Files.h"

namespace acmtest {

namespace fs = std::filesystem;
using namespace platform::acm;

namespace {

uint32_t u32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void putChunk(std::vector<uint8_t>& out, const char* id, std::span<const uint8_t> body) {
    out.insert(out.end(), id, id + 4);
    put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        out.push_back(0);
    }
}

}  // namespace

WaveFile readWave(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        throw std::runtime_error("not a WAVE file: " + path.string());
    }
    WaveFile wave;
    bool haveFormat = false, haveData = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const size_t size = std::min<size_t>(u32(&bytes[at + 4]), bytes.size() - at - 8);
        const std::span<const uint8_t> body(&bytes[at + 8], size);
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0) {
            auto f = platform::WaveFormat::fromBytes(body);
            haveFormat = f.has_value();
            wave.format = f.value_or(platform::WaveFormat());
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            wave.data.assign(body.begin(), body.end());
            haveData = true;
        } else if (std::memcmp(&bytes[at], "fact", 4) == 0 && size >= 4) {
            wave.factFrames = u32(body.data());
        }
        at += 8 + size + (size % 2);
    }
    if (!haveFormat || !haveData) {
        throw std::runtime_error("WAVE file without fmt or data: " + path.string());
    }
    return wave;
}

void writeWave(const fs::path& path, const WaveFile& wave) {
    std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
    putChunk(body, "fmt ", wave.format.bytes());
    if (wave.factFrames) {
        std::vector<uint8_t> fact;
        put32(fact, *wave.factFrames);
        putChunk(body, "fact", fact);
    }
    putChunk(body, "data", wave.data);
    std::vector<uint8_t> file;
    putChunk(file, "RIFF", body);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

bool haveTool(const std::string& name) {
    return run("command -v " + name);
}

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string outputOf(const std::string& command) {
    return testsupport::shell(command + " 2>&1").out;
}

std::vector<int16_t> ffmpegDecode(const fs::path& file, const fs::path& pcm,
                                  std::string& complaint) {
    complaint = outputOf("ffmpeg -nostdin -v error -y -i '" + file.string() + "' -c:a pcm_s16le '" +
                         pcm.string() + "'");
    return toSamples(readWave(pcm).data);
}

std::vector<uint8_t> convertAll(const CodecRegistry& codecs, const platform::WaveFormat& from,
                                const platform::WaveFormat& to, std::span<const uint8_t> input,
                                size_t chunkBytes) {
    Stream stream;
    if (stream.open(codecs, from, to) != kOk) {
        throw std::runtime_error("no conversion");
    }
    std::vector<uint8_t> source(chunkBytes), destination;
    size_t room = 0;
    stream.destinationSize(chunkBytes, room);
    destination.resize(room);
    StreamHeader header;
    header.source = source;
    header.destination = destination;
    stream.prepareHeader(header);

    std::vector<uint8_t> output;
    size_t pending = 0, taken = 0;
    auto step = [&](uint32_t flags) {
        header.sourceLength = pending;
        if (stream.convert(header, flags) != kOk) {
            throw std::runtime_error("convert failed");
        }
        output.insert(output.end(), destination.begin(),
                      destination.begin() + static_cast<long>(header.destinationLengthUsed));
        std::memmove(source.data(), source.data() + header.sourceLengthUsed,
                     pending - header.sourceLengthUsed);
        pending -= header.sourceLengthUsed;
        return header.sourceLengthUsed + header.destinationLengthUsed;
    };
    while (taken < input.size()) {
        const size_t n = std::min(input.size() - taken, chunkBytes - pending);
        std::memcpy(source.data() + pending, input.data() + taken, n);
        pending += n;
        taken += n;
        step(kConvertBlockAlign);
    }
    for (;;) {
        if (step(kConvertBlockAlign) != 0) {
            continue;
        }
        if (step(kConvertBlockAlign | kConvertEnd) != 0 || step(kConvertEnd) != 0) {
            continue;
        }
        break;
    }
    stream.unprepareHeader(header);
    return output;
}

std::vector<uint8_t> toBytes(std::span<const int16_t> samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<int16_t> toSamples(std::span<const uint8_t> bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<int16_t> sweep(uint32_t rate, uint16_t channels, double seconds, double amplitude) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    std::mt19937 noise(7);
    std::uniform_real_distribution<double> jitter(-0.01, 0.01);
    std::vector<int16_t> out(frames * channels);
    const double top = rate * 0.45;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double phase = 2 * M_PI * (20 * t + (top - 20) / (2 * seconds) * t * t);
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = amplitude * (std::sin(phase + c) + jitter(noise));
            out[i * channels + c] = static_cast<int16_t>(std::lround(v * 32767));
        }
    }
    return out;
}

}  // namespace acmtest
