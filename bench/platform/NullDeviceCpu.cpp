// Plays silence to a wave device the way the renderer does (a ring of
// blocks refilled from a worker woken by the done callback) and reports the
// process's CPU time as a share of one core.
//
//   null_device_cpu [SECONDS] [SELECTION]     defaults: 10 null

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/WaveOut.h"

using namespace platform;

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Block {
    std::vector<uint8_t> bytes;
    WaveHeader header;
};

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::string selection = argc > 2 ? argv[2] : "null";
    const auto driver = makeWaveOutDriver(selection);
    if (!driver) {
        std::fprintf(stderr, "unknown device %s\n", selection.c_str());
        return 2;
    }
    const WaveFormat format = WaveFormat::pcm(2, 44100, 16);
    const uint32_t blockBytes = format.avgBytesPerSec() / 2;  // 0.5 s, as the renderer's default
    const auto totalBytes = static_cast<uint64_t>(seconds * format.avgBytesPerSec());

    Event refill(Event::Reset::Auto);
    std::unique_ptr<WaveOutDevice> device;
    if (const MmResult r = driver->open(
            -1, format, [&] { refill.set(); }, device)) {
        std::fprintf(stderr, "open failed: %u\n", r);
        return 1;
    }
    std::vector<Block> blocks(5);
    for (Block& b : blocks) {
        b.bytes.assign(blockBytes, 0);
        b.header.data = b.bytes.data();
        b.header.bufferLength = blockBytes;
        device->prepareHeader(b.header);
        b.header.flags |= WaveHeader::kDone;
    }

    const double cpu0 = processCpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    uint64_t queued = 0;
    while (true) {
        bool busy = false;
        for (Block& b : blocks) {
            if (!b.header.done()) {
                busy = true;
            } else if (queued < totalBytes) {
                device->write(b.header);
                queued += blockBytes;
                busy = true;
            }
        }
        if (!busy) {
            break;
        }
        refill.wait();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = processCpuSeconds() - cpu0;
    uint32_t position = 0;
    device->getPosition(position);
    device.reset();
    std::printf(
        "device %s: played %.2f s of audio in %.2f s wall, %.4f s CPU = %.3f %% of one core\n",
        selection.c_str(), static_cast<double>(position) / format.avgBytesPerSec(), wall, cpu,
        100.0 * cpu / wall);
    return 0;
}
