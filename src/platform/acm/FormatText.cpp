#include "platform/acm/FormatText.h"

#include <cstdio>

namespace platform::acm {

namespace {
std::string channelText(uint16_t channels) {
    if (channels == 1) {
        return "ﾓﾉﾗﾙ";
    }
    if (channels == 2) {
        return "ｽﾃﾚｵ";
    }
    return std::to_string(channels) + " ﾁｬﾝﾈﾙ";
}
}  // namespace

std::string formatText(uint32_t samplesPerSec, std::string_view sample, uint16_t channels) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%u.%03u kHz, ", samplesPerSec / 1000, samplesPerSec % 1000);
    return rate + std::string(sample) + ", " + channelText(channels);
}

std::string bitsText(uint16_t bits) {
    return std::to_string(bits) + " ﾋﾞｯﾄ";
}

}  // namespace platform::acm
