#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "mp3/L3Stages.h"
#include "mp3/Mp3Decoder.h"
#include "mp3/Mp3FrameHeader.h"
#include "mp3/enc/Mp3EncoderHandle.h"

namespace mp3::enc::test {

// Tones, a sweep and noise bursts: enough of everything that the encoder
// switches blocks, uses mid/side and the reservoir.
inline std::vector<int16_t> testSignal(int rate, int channels, double seconds) {
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> pcm(frames * static_cast<size_t>(channels));
    uint32_t noise = 12345;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        double v =
            0.25 * std::sin(2 * M_PI * 440 * t) + 0.1 * std::sin(2 * M_PI * (200 + 3000 * t) * t);
        noise = noise * 1103515245u + 12345u;
        const double burst = std::fmod(t, 0.37) < 0.03 ? 0.4 : 0.01;
        v += burst * (static_cast<double>(noise >> 16 & 0x7FFF) / 16384.0 - 1.0);
        for (int ch = 0; ch < channels; ++ch) {
            const double s = ch == 0 ? v : 0.8 * v + 0.05 * std::sin(2 * M_PI * 660 * t);
            pcm[i * static_cast<size_t>(channels) + static_cast<size_t>(ch)] =
                static_cast<int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32000));
        }
    }
    return pcm;
}

// Runs PCM through a handle the way the writer does; in VBR mode the
// header frame comes first and is rewritten at the end.
inline std::vector<uint8_t> encodeAll(Mp3EncoderHandle& h, const std::vector<int16_t>& pcm,
                                      size_t piece = 4608) {
    std::vector<uint8_t> header(4096);
    header.resize(h.vbriHeader(header.data(), header.size()));
    std::vector<uint8_t> file = header;
    std::vector<uint8_t> out(8192);
    const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
    const size_t total = pcm.size() * 2;
    for (size_t at = 0; at < total;) {
        size_t used = 0;
        const int n =
            h.encode(bytes + at, std::min(piece, total - at), &used, out.data(), out.size());
        if (n < 0) {
            return {};
        }
        file.insert(file.end(), out.begin(), out.begin() + n);
        at += used;
    }
    for (int n; (n = h.encode(nullptr, 0, nullptr, out.data(), out.size())) > 0;) {
        file.insert(file.end(), out.begin(), out.begin() + n);
    }
    if (!header.empty()) {
        h.vbriHeader(file.data(), header.size());
    }
    return file;
}

struct FrameWalk {
    std::vector<Mp3FrameHeader> headers;
    std::vector<size_t> offsets;
    int crcFailures = 0;
    size_t trailing = 0;  // bytes after the last whole frame
};

// Walks the frames by their headers; every frame must start where the
// previous one ended.
inline FrameWalk walkFrames(const std::vector<uint8_t>& s) {
    FrameWalk w;
    size_t at = 0;
    while (at + 4 <= s.size()) {
        const uint32_t word = uint32_t{s[at]} << 24 | uint32_t{s[at + 1]} << 16 |
                              uint32_t{s[at + 2]} << 8 | s[at + 3];
        Mp3FrameHeader h;
        if (!decodeMp3Header(word, h) || at + h.frameBytes() > s.size()) {
            break;
        }
        if (h.crcPresent) {
            const uint16_t stored = static_cast<uint16_t>(s[at + 4] << 8 | s[at + 5]);
            w.crcFailures += stored != l3ProtectedCrc(&s[at], l3SideInfoBytes(h));
        }
        w.headers.push_back(h);
        w.offsets.push_back(at);
        at += h.frameBytes();
    }
    w.trailing = s.size() - at;
    return w;
}

struct DecodeReport {
    int frames = 0;
    int failures = 0;        // frames reported with anything but success
    std::vector<float> pcm;  // interleaved, 16-bit scale
    int channels = 0;
};

inline DecodeReport decodeAll(const std::vector<uint8_t>& s) {
    DecodeReport r;
    std::unique_ptr<IMp3Decoder> dec;
    createMp3Decoder(0, 0, 0, &dec);
    size_t fed = 0;
    std::vector<float> frame(1152 * 2);
    for (;;) {
        fed += dec->feed(s.data() + fed, s.size() - fed);
        if (fed == s.size()) {
            dec->markFinished();
        }
        size_t written = 0;
        const Mp3Ssc code = dec->decodeFloat(frame.data(), frame.size() * 4, &written);
        if (code == ssc::kSyncNeedData && fed < s.size()) {
            continue;
        }
        if (code == ssc::kSyncEof || (mp3SscFailed(code) && dec->atEnd())) {
            break;
        }
        if (code == ssc::kSyncNeedData) {
            break;
        }
        ++r.frames;
        r.failures += code != ssc::kOk;
        r.channels = static_cast<int>(dec->frameInfo().outputChannels);
        r.pcm.insert(r.pcm.end(), frame.begin(),
                     frame.begin() + static_cast<std::ptrdiff_t>(written / 4));
    }
    return r;
}

}  // namespace mp3::enc::test
