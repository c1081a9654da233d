// Speed of WAVE conversions through the engine (manager, WAVE reader, PCM
// converter, WAVE writer) on a 60 s CD-format sweep, next to sox doing the
// same conversion on the same file. Prints CPU seconds and how many times
// faster than real time each one ran.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestWave.h"
#include "platform/MessageQueue.h"
#include "stream/CNxSSManager.h"
#include "stream/wave/CNxSSWaveOptionPage.h"
#include "stream/wave/WaveComponents.h"

namespace {

constexpr double kSeconds = 60;

struct Job {
    const char* name;
    platform::WaveFormat target;
    const char* soxOptions;  // what sox needs to write the same
};

platform::WaveFormat CodecFormat(uint16_t tag, uint16_t channels, uint32_t rate) {
    for (const auto& entry : CNxSSWaveOptionPage::Formats(tag)) {
        if (entry.format.channels() == channels && entry.format.samplesPerSec() == rate) {
            return entry.format;
        }
    }
    std::fprintf(stderr, "no format %04x %u/%u\n", tag, channels, rate);
    std::exit(1);
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs one conversion through the engine; CPU seconds of all its threads.
double Engine(const std::string& in, const std::string& out, const platform::WaveFormat& target) {
    platform::MessageQueue window;  // outlives the writer's thread
    CNxSSComponentCatalog catalog;
    AddWaveComponents(catalog);
    auto manager = MakeNx<CNxSSManager>(std::move(catalog));
    const double before = CpuSeconds(RUSAGE_SELF);
    if (manager->CreateChainFor(in, out) != 0) {
        std::exit(1);
    }
    void* page = nullptr;
    manager->GetInterface(3, &page);
    auto owned = NxRef<CNxSSOptionPage>::adopt(static_cast<CNxSSOptionPage*>(page));
    static_cast<CNxSSWaveWriterSettings&>(owned->Settings()).SetTarget(target);
    manager->Advise(&window, 0x401, 0);
    manager->Start();
    for (auto m = window.take(-1); m && m->wParam == 0x03EA00C9; m = window.take(-1)) {
    }
    return CpuSeconds(RUSAGE_SELF) - before;
}

double Sox(const std::string& in, const std::string& out, const char* options) {
    const double before = CpuSeconds(RUSAGE_CHILDREN);
    if (!acmtest::run("sox '" + in + "' " + options + " '" + out + "'")) {
        return -1;
    }
    return CpuSeconds(RUSAGE_CHILDREN) - before;
}

}  // namespace

int main() {
    setenv("MELODUX_CONFIG_HOME", "/nonexistent/melodux-bench", 1);
    acmtest::TempDir dir;
    const std::string in = (dir / "in.wav").string(), out = (dir / "out.wav").string();
    acmtest::writeWave(in, {platform::WaveFormat::pcm(2, 44100, 16),
                            acmtest::toBytes(acmtest::sweep(44100, 2, kSeconds, 0.7)),
                            {}});
    const std::vector<Job> jobs = {
        {"PCM copy 44.1 kHz 16-bit stereo", platform::WaveFormat::pcm(2, 44100, 16), ""},
        {"PCM 44.1 -> 48 kHz 16-bit stereo", platform::WaveFormat::pcm(2, 48000, 16), "-r 48000"},
        {"PCM 44.1 -> 22.05 kHz 8-bit mono", platform::WaveFormat::pcm(1, 22050, 8),
         "-r 22050 -c 1 -b 8"},
        {"IMA ADPCM 44.1 kHz stereo", CodecFormat(0x11, 2, 44100), "-e ima-adpcm"},
        {"MS ADPCM 44.1 kHz stereo", CodecFormat(0x02, 2, 44100), "-e ms-adpcm"},
        {"A-law 8 kHz mono", CodecFormat(0x06, 1, 8000), "-r 8000 -c 1 -e a-law"},
    };
    const bool sox = acmtest::haveTool("sox");
    std::printf("%.0f s of 44.1 kHz 16-bit stereo; CPU seconds and times real time\n", kSeconds);
    for (const auto& job : jobs) {
        const double ours = Engine(in, out, job.target);
        std::printf("  %-34s engine %6.3f s %6.0fx", job.name, ours, kSeconds / ours);
        const double theirs = sox ? Sox(in, (dir / "sox.wav").string(), job.soxOptions) : -1;
        if (theirs > 0) {
            std::printf("   sox %6.3f s %6.0fx", theirs, kSeconds / theirs);
        }
        std::printf("\n");
    }
    return 0;
}
