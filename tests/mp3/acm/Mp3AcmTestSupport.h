#pragma once

#include <cstdint>

#include "mp3/acm/Mp3CodecSetup.h"
#include "platform/acm/CodecRegistry.h"

namespace mp3acmtest {

// The standard codecs and ours, as the program registers them.
inline const platform::acm::CodecRegistry& withMp3() {
    mp3::acm::registerMp3Codec();
    return *platform::acm::CodecRegistry::current();
}

inline platform::acm::SuggestFilter only(uint16_t tag) {
    platform::acm::SuggestFilter filter;
    filter.tag = tag;
    return filter;
}

}  // namespace mp3acmtest
