#include "cdinfo/DiscToc.h"

#include <cstdio>

namespace cdinfo {

namespace {

constexpr uint32_t kFps = platform::cd::kSectorsPerSecond;

uint32_t digitSum(uint32_t n) {
    uint32_t sum = 0;
    for (; n > 0; n /= 10) {
        sum += n % 10;
    }
    return sum;
}

}  // namespace

DiscToc DiscToc::fromToc(const platform::cd::Toc& toc) {
    DiscToc disc;
    for (const platform::cd::TocTrack& track : toc.tracks) {
        disc.offsets.push_back(track.firstSector + platform::cd::kLeadInSectors);
    }
    disc.leadOut = toc.leadOut + platform::cd::kLeadInSectors;
    return disc;
}

uint32_t DiscToc::trackFrames(size_t i) const {
    const uint32_t end = i + 1 < offsets.size() ? offsets[i + 1] : leadOut;
    return end > offsets[i] ? end - offsets[i] : 0;
}

bool DiscToc::valid() const {
    if (offsets.empty() || offsets.size() > 99) {
        return false;
    }
    for (size_t i = 0; i < offsets.size(); ++i) {
        const uint32_t end = i + 1 < offsets.size() ? offsets[i + 1] : leadOut;
        if (end < offsets[i]) {
            return false;
        }
    }
    return true;
}

uint32_t freedbDiscId(const DiscToc& toc) {
    if (toc.offsets.empty()) {
        return 0;
    }
    uint32_t sum = 0;
    for (uint32_t offset : toc.offsets) {
        sum += digitSum(offset / kFps);
    }
    const uint32_t seconds = toc.leadOut / kFps - toc.offsets.front() / kFps;
    return (sum % 0xFF) << 24 | (seconds & 0xFFFF) << 8 | (toc.offsets.size() & 0xFF);
}

std::string discIdText(uint32_t discId) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", discId);
    return text;
}

}  // namespace cdinfo
