#include "Mp3TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mp3::test {

std::string fixturePath(const std::string& name) {
    return std::string(MP3_FIXTURE_DIR) + "/" + name;
}

std::vector<float> readFloats(const std::string& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    std::vector<float> out(bytes.size() / sizeof(float));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(float));
    return out;
}

DecodeRun decodeAll(const std::vector<uint8_t>& data, bool floating, int quality, int resolution,
                    int downmix, size_t chunk) {
    DecodeRun run;
    std::unique_ptr<IMp3Decoder> decoder;
    createMp3Decoder(quality, resolution, downmix, &decoder);
    size_t fed = 0;
    std::vector<uint8_t> out(kMaxFrameSamples * 2 * sizeof(float));
    for (;;) {
        if (fed < data.size()) {
            fed += decoder->feed(data.data() + fed, std::min(chunk, data.size() - fed));
        }
        if (fed == data.size()) {
            decoder->markFinished();
        }
        size_t written = 0;
        const Mp3Ssc code = floating ? decoder->decodeFloat(out.data(), out.size(), &written)
                                     : decoder->decodePcm(out.data(), out.size(), &written);
        if (code == ssc::kSyncEof || mp3SscIsError(code)) {
            break;
        }
        if (mp3SscFailed(code)) {
            continue;
        }
        run.codes.push_back(code);
        run.lastInfo = decoder->frameInfo();
        ++run.frames;
        if (floating) {
            const auto* f = reinterpret_cast<const float*>(out.data());
            run.floats.insert(run.floats.end(), f, f + written / sizeof(float));
        } else if (quality != 0) {
            run.pcm8.insert(run.pcm8.end(), out.begin(), out.begin() + static_cast<long>(written));
        } else {
            const auto* s = reinterpret_cast<const int16_t*>(out.data());
            run.pcm16.insert(run.pcm16.end(), s, s + written / sizeof(int16_t));
        }
    }
    return run;
}

Accuracy compareFloat(const std::vector<float>& ours, size_t skip, const std::vector<float>& ref) {
    Accuracy a;
    const size_t n = std::min(ours.size() > skip ? ours.size() - skip : 0, ref.size());
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double d = ours[skip + i] / 32768.0 - ref[i];
        sum += d * d;
        a.max = std::max(a.max, std::abs(d));
    }
    a.rms = n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
    a.compared = n;
    return a;
}

uint32_t headerWord(int bitrateIndex, int padding, int mode, int samplingIndex) {
    return 0xFFFB0000u | static_cast<uint32_t>(bitrateIndex) << 12 |
           static_cast<uint32_t>(samplingIndex) << 10 | static_cast<uint32_t>(padding) << 9 |
           static_cast<uint32_t>(mode) << 6;
}

std::vector<uint8_t> silentFrame(uint32_t word, size_t freeBytes) {
    Mp3FrameHeader h;
    decodeMp3Header(word, h);
    std::vector<uint8_t> frame(h.freeFormat() ? freeBytes + h.padding : h.frameBytes(), 0);
    for (int i = 0; i < 4; ++i) {
        frame[static_cast<size_t>(i)] = static_cast<uint8_t>(word >> (24 - 8 * i));
    }
    return frame;
}

}  // namespace mp3::test
