// Decodes an MP3 file from memory several times and prints the speed as a
// multiple of real time, for 16-bit output, float output, Downmix and
// Resolution 1; then the same file through the reader component into the
// packets a chain's writer pulls (file reads, frame sync, copies into the
// packet), with its cost over the bare decoder loop. Single thread; times
// are process CPU time, so that other load on the machine does not count.
//   mp3_decode_bench FILE.mp3 [repeats]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "mp3/Mp3Decoder.h"
#include "mp3/reader/CNxSSMp3Reader.h"
#include "stream/CNxSSPacket.h"

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Result {
    double seconds = 0.0;       // CPU time of the fastest run
    double audioSeconds = 0.0;  // decoded audio
};

Result decodeRuns(const std::vector<uint8_t>& data, bool floating, int resolution, int downmix,
                  int repeats) {
    Result best;
    std::vector<uint8_t> out(mp3::kMaxFrameSamples * 2 * sizeof(float));
    for (int r = 0; r < repeats; ++r) {
        std::unique_ptr<mp3::IMp3Decoder> decoder;
        mp3::createMp3Decoder(0, resolution, downmix, &decoder);
        const double start = cpuSeconds();
        size_t fed = 0;
        double samples = 0.0;
        uint32_t rate = 1;
        for (;;) {
            if (fed < data.size()) {
                fed += decoder->feed(data.data() + fed, data.size() - fed);
            }
            if (fed == data.size()) {
                decoder->markFinished();
            }
            size_t written = 0;
            const mp3::Mp3Ssc code = floating
                                         ? decoder->decodeFloat(out.data(), out.size(), &written)
                                         : decoder->decodePcm(out.data(), out.size(), &written);
            if (code == mp3::ssc::kSyncEof || mp3::mp3SscIsError(code)) {
                break;
            }
            if (!mp3::mp3SscFailed(code)) {
                const mp3::Mp3FrameInfo& info = decoder->frameInfo();
                samples +=
                    static_cast<double>(written) / (info.outputChannels * (floating ? 4.0 : 2.0));
                rate = info.outputSampleRate;
            }
        }
        const double took = cpuSeconds() - start;
        if (r == 0 || took < best.seconds) {
            best = {took, samples / rate};
        }
    }
    return best;
}

// The reader as a chain's writer drives it: packets of 65536 frames.
Result readerRuns(const char* path, int repeats) {
    constexpr uint32_t kPacketFrames = 65536;
    Result best;
    for (int r = 0; r < repeats; ++r) {
        auto reader = MakeNx<CNxSSMp3Reader>(nullptr, CNxSSMp3Reader::Options{});
        auto packet = MakeNx<CNxSSPacket>(nullptr);
        const double start = cpuSeconds();
        reader->Open(path);
        platform::WaveFormat format;
        reader->GetFormat(format);
        packet->Allocate(format, kPacketFrames);
        double frames = 0.0;
        for (reader->Read(*packet); packet->Frames() > 0; reader->Read(*packet)) {
            frames += packet->Frames();
        }
        const double took = cpuSeconds() - start;
        if (r == 0 || took < best.seconds) {
            best = {took, frames / format.samplesPerSec()};
        }
    }
    return best;
}

void report(const char* what, const Result& r) {
    std::printf("%-22s %8.1f ms for %6.1f s of audio: %7.0fx real time\n", what, r.seconds * 1000.0,
                r.audioSeconds, r.audioSeconds / r.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.mp3 [repeats]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 5;
    const Result bare = decodeRuns(data, false, 0, 0, repeats);
    report("16-bit", bare);
    report("float", decodeRuns(data, true, 0, 0, repeats));
    report("16-bit Downmix", decodeRuns(data, false, 0, 1, repeats));
    report("16-bit Resolution 1", decodeRuns(data, false, 1, 0, repeats));
    const Result chain = readerRuns(argv[1], repeats);
    report("16-bit reader packets", chain);
    std::printf("reader path over the bare decoder loop: %+.1f%%\n",
                (chain.seconds / bare.seconds - 1.0) * 100.0);
    return 0;
}
