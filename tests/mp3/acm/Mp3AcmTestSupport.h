#pragma once

#include <memory>

#include "mp3/acm/Mp3AcmCodec.h"
#include "platform/acm/CodecRegistry.h"

namespace mp3acmtest {

// The standard codecs and ours, as the program registers them.
inline platform::acm::CodecRegistry withMp3() {
    auto registry = platform::acm::CodecRegistry::standard();
    registry.add(std::make_shared<mp3::acm::Mp3AcmCodec>());
    return registry;
}

// A suggestion filter that fixes the tag only.
inline platform::acm::SuggestFilter only(uint16_t tag) {
    platform::acm::SuggestFilter filter;
    filter.tag = tag;
    return filter;
}

}  // namespace mp3acmtest
