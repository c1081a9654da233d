// Encodes the same minute of 44.1 kHz stereo through the bare encoder handle
// (into memory) and through a chain into CNxSSMp3Writer (into a file),
// alternating, and prints the speed of each as times real time by wall
// clock, with the medians of all rounds.
//
//   mp3writer_bench [ROUNDS]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "mp3/enc/Mp3EncoderHandle.h"
#include "mp3/writer/CNxSSMp3Writer.h"
#include "mp3/writer/Mp3WriterComponents.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/CNxSSPacket.h"
#include "stream/ResultCodes.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;
using Clock = std::chrono::steady_clock;

// Tones with a little noise, so the encoder works as on music.
std::vector<int16_t> Audio() {
    std::vector<int16_t> samples(size_t{kRate} * kSeconds * 2);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 0.02);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        const double t = double(i) / kRate;
        const double v = 0.3 * std::sin(2 * std::numbers::pi * 220 * t) +
                         0.2 * std::sin(2 * std::numbers::pi * (330 + 50 * std::sin(t)) * t);
        samples[2 * i] = static_cast<int16_t>(32767 * std::clamp(v + noise(random), -1.0, 1.0));
        samples[2 * i + 1] = static_cast<int16_t>(32767 * std::clamp(v - noise(random), -1.0, 1.0));
    }
    return samples;
}

class MemorySource : public CNxSSComponent {
  public:
    explicit MemorySource(const std::vector<int16_t>& samples)
        : CNxSSComponent(nullptr), samples_(samples) {}
    bool GetFormat(platform::WaveFormat& format) override {
        format = platform::WaveFormat::pcm(2, kRate, 16);
        return true;
    }
    void Read(CNxSSPacket& packet) override {
        const size_t frames = std::min<size_t>(packet.Capacity(), samples_.size() / 2 - at_);
        std::memcpy(packet.Data(), samples_.data() + 2 * at_, frames * 4);
        packet.SetFrames(static_cast<uint32_t>(frames));
        at_ += frames;
    }

  private:
    const std::vector<int16_t>& samples_;
    size_t at_ = 0;
};

double Bare(const std::vector<int16_t>& samples, const mp3::enc::Mp3WriterSettings& s) {
    const auto start = Clock::now();
    auto handle = mp3::enc::Mp3EncoderHandle::create(kRate, 2, s.quality);
    if (s.vbrMode == 0) {
        handle->setOutputFormat(s.sampleRate, s.channels, s.bitrate);
    }
    auto config = handle->config();
    config.allowIntensity = s.allowIntensity;
    config.allowMidSide = s.allowMidside;
    config.vbrQuality = s.vbrMode != 0 ? s.vbrQuality : 0;
    handle->setConfig(config);
    std::vector<uint8_t> out(8192), file;
    const auto* pcm = reinterpret_cast<const uint8_t*>(samples.data());
    size_t left = samples.size() * 2;
    while (left > 0) {
        size_t used = 0;
        const int n = handle->encode(pcm, left, &used, out.data(), out.size());
        file.insert(file.end(), out.begin(), out.begin() + std::max(n, 0));
        pcm += used;
        left -= used;
    }
    for (int n; (n = handle->encode(nullptr, 0, nullptr, out.data(), out.size())) > 0;) {
        file.insert(file.end(), out.begin(), out.begin() + n);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ThroughWriter(const std::vector<int16_t>& samples, const mp3::enc::Mp3WriterSettings& s,
                     const std::string& target) {
    platform::MessageQueue window;
    CNxSSComponentCatalog catalog;
    AddMp3WriterComponents(catalog);
    auto manager = MakeNx<CNxSSManager>(catalog);
    auto source = MakeNx<MemorySource>(samples);
    manager->CreateChain("", target, CNxSSManager::kSinkMp3);
    manager->Connect(source.get(), manager->Sink());
    void* page = nullptr;
    manager->GetInterface(CNxSSMp3Writer::kPageInterface, &page);
    NxRef<CNxSSMp3OptionPage>::adopt(static_cast<CNxSSMp3OptionPage*>(page))
        ->Mp3Settings()
        .SetValues(s);
    manager->Advise(&window, 0x401, 0);
    const auto start = Clock::now();
    manager->Start();
    for (;;) {
        const auto code = static_cast<uint32_t>(window.take(-1)->wParam);
        if (code == nxss::kFinished || nxss::failed(code)) {
            break;
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const auto folder = std::filesystem::temp_directory_path() / "melodux-mp3writer-bench";
    std::filesystem::create_directories(folder);
    ::setenv("MELODUX_CONFIG_HOME", folder.c_str(), 1);  // never the user's settings
    ::setenv("MELODUX_SYSTEM_CONFIG", folder.c_str(), 1);
    const std::vector<int16_t> samples = Audio();
    struct Setting {
        const char* name;
        mp3::enc::Mp3WriterSettings values;
    };
    std::vector<Setting> settings(3);
    settings[0].name = "CBR 128k fast";
    settings[1].name = "CBR 128k high";
    settings[1].values.quality = 2;
    settings[2].name = "VBR 60";
    settings[2].values.vbrMode = 1;
    std::printf("%-16s %12s %12s %8s\n", "setting", "bare x", "writer x", "ratio");
    for (const Setting& s : settings) {
        std::vector<double> bare, writer;
        for (int i = 0; i < rounds; ++i) {
            bare.push_back(kSeconds / Bare(samples, s.values));
            writer.push_back(kSeconds / ThroughWriter(samples, s.values, folder / "out.mp3"));
        }
        std::printf("%-16s %12.1f %12.1f %8.3f\n", s.name, Median(bare), Median(writer),
                    Median(writer) / Median(bare));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
