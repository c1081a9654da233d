#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::acm {

// A format's text as the codecs show it: "44.100 kHz, 16 ﾋﾞｯﾄ, ｽﾃﾚｵ".
// `sample` describes one sample ("16 ﾋﾞｯﾄ").
std::string formatText(uint32_t samplesPerSec, std::string_view sample, uint16_t channels);

// "8 ﾋﾞｯﾄ"
std::string bitsText(uint16_t bits);

}  // namespace platform::acm
