#include "cli/WaveFormatOption.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/acm/AcmTypes.h"
#include "stream/wave/CNxSSWaveOptionPage.h"

namespace cli {

namespace {

using platform::acm::kTagALaw;
using platform::acm::kTagImaAdpcm;
using platform::acm::kTagMpegLayer3;
using platform::acm::kTagMsAdpcm;
using platform::acm::kTagMuLaw;
using platform::acm::kTagPcm;

struct Kind {
    const char* name;
    uint16_t tag;
    const char* fields;  // after the name
};

constexpr Kind kKinds[] = {
    {"pcm", kTagPcm, "RATE:BITS:CHANNELS"},     {"ima-adpcm", kTagImaAdpcm, "RATE:CHANNELS"},
    {"ms-adpcm", kTagMsAdpcm, "RATE:CHANNELS"}, {"alaw", kTagALaw, "RATE:CHANNELS"},
    {"mulaw", kTagMuLaw, "RATE:CHANNELS"},      {"mp3", kTagMpegLayer3, "RATE:CHANNELS:BITRATE"},
};
constexpr uint32_t kLowestBitrate = 1000;  // smaller numbers are kilobits
constexpr unsigned long kLargestValue = 10'000'000;

const Kind* kindOf(uint16_t tag) {
    for (const Kind& k : kKinds) {
        if (k.tag == tag) {
            return &k;
        }
    }
    return nullptr;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(':', from)) != std::string::npos; from = at + 1) {
        parts.push_back(text.substr(from, at - from));
    }
    parts.push_back(text.substr(from));
    return parts;
}

std::optional<uint32_t> number(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || *end != '\0' || value == 0 ||
        value > kLargestValue) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

// Reads the numbers after the name into the spec, in the kind's order.
bool readFields(const Kind& kind, const std::vector<std::string>& parts, WaveFormatSpec& spec,
                std::string& error) {
    std::vector<uint32_t> values;
    for (size_t i = 1; i < parts.size(); ++i) {
        const auto v = number(parts[i]);
        if (!v) {
            error = "'" + parts[i] + "' is not a positive number";
            return false;
        }
        values.push_back(*v);
    }
    spec.sampleRate = values[0];
    if (kind.tag == kTagPcm) {
        spec.bits = static_cast<uint16_t>(values[1]);
        spec.channels = static_cast<uint16_t>(values[2]);
    } else {
        spec.channels = static_cast<uint16_t>(values[1]);
    }
    if (kind.tag == kTagMpegLayer3) {
        spec.bitrate = values[2] < kLowestBitrate ? values[2] * 1000 : values[2];
    }
    return true;
}

size_t fieldCount(const Kind& kind) {
    return split(kind.fields).size();
}

std::string kindList() {
    std::string list;
    for (const Kind& k : kKinds) {
        list += (list.empty() ? "" : ", ") + std::string(k.name) + ":" + k.fields;
    }
    return list;
}

}  // namespace

std::optional<WaveFormatSpec> WaveFormatSpec::parse(const std::string& text, std::string& error) {
    const auto parts = split(text);
    const auto tag = waveTagOf(parts[0]);
    const Kind* kind = tag ? kindOf(*tag) : nullptr;
    if (kind == nullptr) {
        error = "unknown wave format '" + parts[0] + "'; formats are " + kindList();
        return std::nullopt;
    }
    if (parts.size() != fieldCount(*kind) + 1) {
        error = std::string("a ") + kind->name + " format is " + kind->name + ":" + kind->fields;
        return std::nullopt;
    }
    WaveFormatSpec spec;
    spec.tag = kind->tag;
    if (!readFields(*kind, parts, spec, error)) {
        return std::nullopt;
    }
    return spec;
}

bool WaveFormatSpec::matches(const platform::WaveFormat& f) const {
    return f.tag() == tag && f.samplesPerSec() == sampleRate && f.channels() == channels &&
           (tag != kTagPcm || f.bitsPerSample() == bits) &&
           (tag != kTagMpegLayer3 || uint64_t{f.avgBytesPerSec()} * 8 == bitrate);
}

std::optional<uint16_t> waveTagOf(const std::string& name) {
    for (const Kind& k : kKinds) {
        if (name == k.name) {
            return k.tag;
        }
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(name.c_str(), &end, 0);
    if (name.empty() || name[0] < '0' || name[0] > '9' || *end != '\0' || value == 0 ||
        value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

std::string waveFormatName(const platform::WaveFormat& f) {
    const Kind* kind = kindOf(f.tag());
    char text[64];
    const unsigned rate = f.samplesPerSec(), channels = f.channels();
    if (kind == nullptr) {
        std::snprintf(text, sizeof text, "0x%04X:%u:%u", f.tag(), rate, channels);
    } else if (f.tag() == kTagPcm) {
        std::snprintf(text, sizeof text, "pcm:%u:%u:%u", rate, f.bitsPerSample(), channels);
    } else if (f.tag() == kTagMpegLayer3) {
        std::snprintf(text, sizeof text, "mp3:%u:%u:%u", rate, channels,
                      f.avgBytesPerSec() * 8 / 1000);
    } else {
        std::snprintf(text, sizeof text, "%s:%u:%u", kind->name, rate, channels);
    }
    return text;
}

int applyWaveFormat(CNxSSOptionPage& page, const std::string& text) {
    auto* wave = dynamic_cast<CNxSSWaveOptionPage*>(&page);
    if (wave == nullptr) {
        std::fputs("melodux-cli: --wave-format needs a .wav output\n", stderr);
        return 2;
    }
    std::string error;
    const auto spec = WaveFormatSpec::parse(text, error);
    if (!spec) {
        std::fprintf(stderr, "melodux-cli: --wave-format %s: %s\n", text.c_str(), error.c_str());
        return 2;
    }
    const auto offered = CNxSSWaveOptionPage::Formats(spec->tag);
    for (const auto& entry : offered) {
        if (spec->matches(entry.format)) {
            wave->WaveSettings().SetTarget(entry.format);
            wave->WaveSettings().Save();
            return 0;
        }
    }
    std::fprintf(stderr, "melodux-cli: the WAVE writer cannot write %s", text.c_str());
    if (offered.empty()) {
        std::fputs(": no codec writes this kind of WAVE file\n", stderr);
        return 2;
    }
    std::fputs("; it writes these of its kind:\n", stderr);
    for (const auto& entry : offered) {
        std::fprintf(stderr, "  %s\n", waveFormatName(entry.format).c_str());
    }
    return 2;
}

}  // namespace cli
