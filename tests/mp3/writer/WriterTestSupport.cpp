#include "WriterTestSupport.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>

#include "stream/CNxSSException.h"
#include "stream/CNxSSPacket.h"

namespace writertest {

namespace {

void PutSample(std::vector<uint8_t>& out, double value, uint16_t bits) {
    value = std::clamp(value, -1.0, 1.0);
    if (bits == 8) {
        out.push_back(static_cast<uint8_t>(std::lround(128 + value * 127)));
        return;
    }
    const auto v = static_cast<int16_t>(std::lround(value * 32767));
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

}  // namespace

Pcm Tone(uint32_t rate, uint16_t channels, double seconds, double amplitude, uint16_t bits) {
    Pcm pcm{platform::WaveFormat::pcm(channels, rate, bits), {}};
    const auto frames = static_cast<size_t>(seconds * rate);
    for (size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * 440.0 * double(i) / rate);
        for (uint16_t c = 0; c < channels; ++c) {
            PutSample(pcm.bytes, v, bits);
        }
    }
    return pcm;
}

Pcm QuietThenLoud(uint32_t rate, uint16_t channels, double quietSeconds, double loudSeconds) {
    Pcm pcm = Tone(rate, channels, quietSeconds, 0.01);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.7, 0.7);
    const auto frames = static_cast<size_t>(loudSeconds * rate);
    for (size_t i = 0; i < frames * channels; ++i) {
        PutSample(pcm.bytes, noise(random), 16);
    }
    return pcm;
}

std::vector<uint8_t> AsWave(const Pcm& pcm) {
    const auto& f = pcm.format;
    std::string w = "RIFF";
    PutLe(w, static_cast<uint32_t>(36 + pcm.bytes.size()), 4);
    w += "WAVEfmt ";
    PutLe(w, 16, 4);
    PutLe(w, 1, 2);
    PutLe(w, f.channels(), 2);
    PutLe(w, f.samplesPerSec(), 4);
    PutLe(w, f.avgBytesPerSec(), 4);
    PutLe(w, f.blockAlign(), 2);
    PutLe(w, f.bitsPerSample(), 2);
    w += "data";
    PutLe(w, static_cast<uint32_t>(pcm.bytes.size()), 4);
    std::vector<uint8_t> out(w.begin(), w.end());
    out.insert(out.end(), pcm.bytes.begin(), pcm.bytes.end());
    return out;
}

double Rms(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (const int16_t s : samples) {
        sum += double(s) * s;
    }
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

PcmSource::PcmSource(Pcm pcm, int failAfter)
    : CNxSSComponent(nullptr), pcm_(std::move(pcm)), failAfter_(failAfter) {}

bool PcmSource::GetFormat(platform::WaveFormat& format) {
    format = pcm_.format;
    return true;
}

int32_t PcmSource::GetLength() {
    return static_cast<int32_t>(pcm_.frames() * 1000 / pcm_.format.samplesPerSec());
}

void PcmSource::Read(CNxSSPacket& packet) {
    if (gated_ && reads_ > 0) {
        reached.set();
        gate.wait();
    }
    if (failAfter_ >= 0 && reads_ >= failAfter_) {
        throw CNxSSException(kReadError);
    }
    ++reads_;
    const size_t frames = std::min<size_t>(packet.Capacity(), pcm_.frames() - at_);
    const size_t align = pcm_.format.blockAlign();
    std::memcpy(packet.Data(), pcm_.bytes.data() + at_ * align, frames * align);
    packet.SetFrames(static_cast<uint32_t>(frames));
    at_ += frames;
}

std::vector<Frame> Frames(const std::vector<uint8_t>& file) {
    std::vector<Frame> frames;
    for (size_t at = 0; at + 4 <= file.size();) {
        Frame f;
        f.offset = at;
        const uint32_t word = uint32_t{file[at]} << 24 | uint32_t{file[at + 1]} << 16 |
                              uint32_t{file[at + 2]} << 8 | file[at + 3];
        if (!mp3::decodeMp3Header(word, f.header) || at + f.header.frameBytes() > file.size()) {
            break;
        }
        at += f.header.frameBytes();
        frames.push_back(f);
    }
    return frames;
}

size_t EndOf(const std::vector<Frame>& frames) {
    return frames.empty() ? 0 : frames.back().offset + frames.back().header.frameBytes();
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Shell(const std::string& command, int* exitCode) {
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    if (exitCode) {
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return out;
}

std::vector<int16_t> FfmpegDecode(const std::filesystem::path& file, double seconds,
                                  double duration) {
    char command[1024];
    std::snprintf(command, sizeof command,
                  "ffmpeg -v error -ss %.3f -i '%s' -t %.3f -f s16le -ac 1 - 2>/dev/null", seconds,
                  file.c_str(), duration);
    const std::string bytes = Shell(command);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

}  // namespace writertest
