// What opening a file costs through the engine, per format: the source the
// player opens (OpenSource), and the information the library reads from a
// file it adds (GetInfo). The media module is loaded before measuring, as
// it is once per process. Files: three minutes of a 1 kHz tone with tags,
// made by ffmpeg (and lame for the MP3) in a temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "app/Engine.h"
#include "stream/CNxSSInfo.h"

namespace {

namespace fs = std::filesystem;

const fs::path& folder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("media-open-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

const std::map<std::string, std::string>& encoders() {
    static const std::map<std::string, std::string> codecs = {{"mp3", "-c:a libmp3lame -b:a 192k"},
                                                              {"flac", "-c:a flac"},
                                                              {"m4a", "-c:a aac -b:a 192k"},
                                                              {"ogg", "-c:a libvorbis -q:a 5"},
                                                              {"opus", "-c:a libopus -b:a 128k"}};
    return codecs;
}

std::string fileFor(const std::string& extension) {
    const fs::path path = folder() / ("song." + extension);
    if (!fs::exists(path)) {
        const std::string command =
            "ffmpeg -nostdin -v error -f lavfi -i sine=frequency=1000:duration=180 -ac 2 "
            "-metadata title=Song -metadata artist=Band -metadata album=Album " +
            encoders().at(extension) + " '" + path.string() + "'";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("ffmpeg could not make " + path.string());
        }
    }
    return path.string();
}

const app::Engine& engine() {
    static const app::Engine instance;
    return instance;
}

void BM_OpenSource(benchmark::State& state, const std::string& extension) {
    const std::string path = fileFor(extension);
    const NxRef<CNxSSManager> manager = engine().makeManager();
    NxRef<CNxSSComponent> warm;
    if (manager->OpenSource(path, warm) != 0) {
        state.SkipWithError("the file does not open");
        return;
    }
    warm = {};
    for (auto _ : state) {
        NxRef<CNxSSComponent> source;
        manager->OpenSource(path, source);
        benchmark::DoNotOptimize(source->GetLength());
    }
}

void BM_ReadInfo(benchmark::State& state, const std::string& extension) {
    const std::string path = fileFor(extension);
    const NxRef<CNxSSManager> manager = engine().makeManager();
    for (auto _ : state) {
        NxRef<CNxSSInfo> info;
        if (manager->GetInfo(path, info) != 0) {
            state.SkipWithError("no information");
            return;
        }
        benchmark::DoNotOptimize(info->GetTitle());
    }
}

void registerAll() {
    for (const auto& [extension, codec] : encoders()) {
        benchmark::RegisterBenchmark(("BM_OpenSource/" + extension).c_str(), BM_OpenSource,
                                     extension)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ReadInfo/" + extension).c_str(), BM_ReadInfo, extension)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(folder());
    return 0;
}
