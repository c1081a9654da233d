#pragma once

// A CUE/BIN image of audio tracks holding something an encoder has to work
// at: a chord that moves, with noise, one stream across the tracks.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace benchsupport {

constexpr uint32_t kSectorBytes = 2352;

inline void writeMusicSectors(std::ofstream& bin, uint64_t firstFrame, uint32_t sectors,
                              uint32_t& noise) {
    const uint64_t frames = uint64_t{sectors} * kSectorBytes / 4;
    for (uint64_t i = firstFrame; i < firstFrame + frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        noise = noise * 1664525 + 1013904223;
        const double chord = std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t) +
                             0.5 * std::sin(2 * M_PI * 330 * t) +
                             0.3 * std::sin(2 * M_PI * 1250 * t);
        const double n = static_cast<int32_t>(noise >> 16) / 65536.0 - 0.5;
        for (int channel = 0; channel < 2; ++channel) {
            const auto s = static_cast<int16_t>(6000 * chord + 1500 * n * (channel + 1));
            const char bytes[2] = {static_cast<char>(s & 0xFF), static_cast<char>(s >> 8 & 0xFF)};
            bin.write(bytes, 2);
        }
    }
}

// Writes <folder>/<name>.bin and <name>.cue, one audio track per entry of
// `trackSectors`; returns the .cue path.
inline std::filesystem::path writeMusicImage(const std::filesystem::path& folder,
                                             const std::string& name,
                                             const std::vector<uint32_t>& trackSectors) {
    std::ofstream bin(folder / (name + ".bin"), std::ios::binary);
    std::ofstream cue(folder / (name + ".cue"));
    cue << "FILE \"" << name << ".bin\" BINARY\n";
    uint32_t noise = 1;
    uint64_t frame = 0;
    uint32_t sector = 0;
    for (size_t track = 0; track < trackSectors.size(); ++track) {
        char index[64];
        std::snprintf(index, sizeof index, "  TRACK %02zu AUDIO\n    INDEX 01 %02u:%02u:%02u\n",
                      track + 1, sector / 75 / 60, sector / 75 % 60, sector % 75);
        cue << index;
        writeMusicSectors(bin, frame, trackSectors[track], noise);
        frame += uint64_t{trackSectors[track]} * kSectorBytes / 4;
        sector += trackSectors[track];
    }
    return folder / (name + ".cue");
}

}  // namespace benchsupport
