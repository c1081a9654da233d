#include "CdImage.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace cdtest {

namespace {
constexpr uint32_t kSectorBytes = 2352;
}

CdImage::CdImage(const std::filesystem::path& folder, std::vector<ImageTrack> tracks,
                 const std::string& name)
    : tracks_(std::move(tracks)),
      seed_(static_cast<uint32_t>(std::hash<std::string>{}(name))),
      cue_(folder / (name + ".cue")) {
    uint32_t start = 0;
    for (const ImageTrack& t : tracks_) {
        starts_.push_back(start);
        start += t.sectors;
    }
    writeBin(folder / (name + ".bin"));
    writeCue(name + ".bin");
}

uint32_t CdImage::trackStart(int track) const {
    return starts_.at(static_cast<size_t>(track - 1));
}

uint32_t CdImage::leadOut() const {
    return starts_.empty() ? 0 : starts_.back() + tracks_.back().sectors;
}

uint8_t CdImage::patternByte(uint32_t seed, uint32_t lsn, uint32_t offset) {
    const uint32_t x = (lsn * 2654435761u) ^ (offset * 40503u) ^ seed;
    return static_cast<uint8_t>(x ^ (x >> 13) ^ (x >> 24));
}

std::vector<uint8_t> CdImage::trackBytes(int track) const {
    const uint32_t first = trackStart(track);
    const uint32_t count = tracks_.at(static_cast<size_t>(track - 1)).sectors;
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count) * kSectorBytes);
    for (uint32_t s = first; s < first + count; ++s) {
        for (uint32_t i = 0; i < kSectorBytes; ++i) {
            bytes.push_back(patternByte(seed_, s, i));
        }
    }
    return bytes;
}

void CdImage::writeBin(const std::filesystem::path& bin) const {
    std::ofstream out(bin, std::ios::binary);
    std::vector<char> sector(kSectorBytes);
    for (uint32_t s = 0; s < leadOut(); ++s) {
        for (uint32_t i = 0; i < kSectorBytes; ++i) {
            sector[i] = static_cast<char>(patternByte(seed_, s, i));
        }
        out.write(sector.data(), static_cast<std::streamsize>(sector.size()));
    }
    if (!out) {
        throw std::runtime_error("cannot write " + bin.string());
    }
}

void CdImage::writeCue(const std::string& binName) const {
    std::ofstream out(cue_);
    out << "FILE \"" << binName << "\" BINARY\n";
    for (size_t i = 0; i < tracks_.size(); ++i) {
        const uint32_t lsn = starts_[i];
        char line[96];
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02u:%02u:%02u\n", i + 1,
                      tracks_[i].audio ? "AUDIO" : "MODE1/2352", lsn / 75 / 60, lsn / 75 % 60,
                      lsn % 75);
        out << line;
    }
    if (!out) {
        throw std::runtime_error("cannot write " + cue_.string());
    }
}

}  // namespace cdtest
