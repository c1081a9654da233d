// Encodes a 16-bit PCM WAVE file through the encoder handle, as the MP3
// writer will: formats, configuration, encode in pieces, flush, and the
// "VBRI" header written first and rewritten at the end. Prints the encoding
// speed (times real time, by processor time) and peak memory.
//
//   mp3enc_tool IN.wav OUT.mp3 [--bitrate B] [--rate R] [--channels C]
//               [--quality 0|1|2] [--vbr Q] [--crc] [--copyright] [--original]
//               [--no-intensity]
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3/enc/Mp3EncoderHandle.h"

namespace {

struct Wave {
    int rate = 0;
    int channels = 0;
    std::vector<uint8_t> data;
};

uint32_t le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | p[i];
    }
    return v;
}

bool readWave(const char* path, Wave& w) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), {});
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0) {
        return false;
    }
    for (size_t pos = 12; pos + 8 <= d.size();) {
        const uint32_t len = le(&d[pos + 4], 4);
        if (std::memcmp(&d[pos], "fmt ", 4) == 0 && pos + 24 <= d.size()) {
            w.channels = static_cast<int>(le(&d[pos + 10], 2));
            w.rate = static_cast<int>(le(&d[pos + 12], 4));
            if (le(&d[pos + 22], 2) != 16) {
                return false;
            }
        } else if (std::memcmp(&d[pos], "data", 4) == 0) {
            const size_t end = std::min(d.size(), pos + 8 + len);
            w.data.assign(d.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                          d.begin() + static_cast<std::ptrdiff_t>(end));
        }
        pos += 8 + len + (len & 1);
    }
    return w.rate > 0 && w.channels > 0;
}

int argValue(int argc, char** argv, const char* name, int fallback) {
    for (int i = 3; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

bool hasFlag(int argc, char** argv, const char* name) {
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace mp3::enc;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IN.wav OUT.mp3 [options]\n", argv[0]);
        return 2;
    }
    Wave wave;
    if (!readWave(argv[1], wave)) {
        std::fprintf(stderr, "cannot read 16-bit PCM WAVE %s\n", argv[1]);
        return 2;
    }
    const int quality = argValue(argc, argv, "--quality", 0);
    auto handle = Mp3EncoderHandle::create(wave.rate, wave.channels, quality);
    if (!handle) {
        std::fprintf(stderr, "no encoder for %d Hz, %d channels\n", wave.rate, wave.channels);
        return 1;
    }
    const int vbr = argValue(argc, argv, "--vbr", 0);
    if (vbr == 0) {
        const int bitrate = argValue(argc, argv, "--bitrate", 128000);
        const int rate = argValue(argc, argv, "--rate", 0);
        const int channels = argValue(argc, argv, "--channels", wave.channels);
        if (!handle->setOutputFormat(rate, channels, bitrate)) {
            std::fprintf(stderr, "format refused: %s\n", handle->lastError().c_str());
            return 1;
        }
    }
    Mp3EncoderConfig config = handle->config();
    config.vbrQuality = vbr;
    config.engineValue = hasFlag(argc, argv, "--crc") ? 1 : 0;
    config.copyright = hasFlag(argc, argv, "--copyright") ? 1 : 0;
    config.original = hasFlag(argc, argv, "--original") ? 1 : 0;
    config.allowIntensity = hasFlag(argc, argv, "--no-intensity") ? 0 : 1;
    if (!handle->setConfig(config)) {
        std::fprintf(stderr, "configuration refused: %s\n", handle->lastError().c_str());
        return 1;
    }
    std::vector<uint8_t> header(4096);
    const size_t headerBytes = handle->vbriHeader(header.data(), header.size());
    std::vector<uint8_t> file(header.begin(),
                              header.begin() + static_cast<std::ptrdiff_t>(headerBytes));
    std::vector<uint8_t> out(8192);
    const std::clock_t start = std::clock();
    const size_t packet = 4608;
    for (size_t at = 0; at < wave.data.size();) {
        size_t used = 0;
        const size_t piece = std::min(packet, wave.data.size() - at);
        const int n = handle->encode(wave.data.data() + at, piece, &used, out.data(), out.size());
        if (n < 0) {
            std::fprintf(stderr, "encoding failed: %s\n", handle->lastError().c_str());
            return 1;
        }
        file.insert(file.end(), out.begin(), out.begin() + n);
        at += used;
    }
    for (int n; (n = handle->encode(nullptr, 0, nullptr, out.data(), out.size())) > 0;) {
        file.insert(file.end(), out.begin(), out.begin() + n);
    }
    // Processor time, so that other work on the machine does not count.
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (headerBytes > 0) {
        handle->vbriHeader(file.data(), headerBytes);
    }
    std::ofstream(argv[2], std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    const double duration =
        static_cast<double>(wave.data.size()) / (2.0 * wave.channels) / wave.rate;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("engine %s rate %d channels %d bitrate %d: %.1fx real time, %.1f MB peak\n",
                handle->engine() == Mp3Engine::Iso ? "iso" : "fast", handle->outputRate(),
                handle->outputChannels(), handle->bitrate(), duration / seconds,
                usage.ru_maxrss / 1024.0);
    return 0;
}
