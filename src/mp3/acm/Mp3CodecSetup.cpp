#include "mp3/acm/Mp3CodecSetup.h"

#include <memory>

#include "mp3/acm/Mp3AcmCodec.h"
#include "platform/acm/CodecRegistry.h"

namespace mp3::acm {

void registerMp3Codec() {
    auto registry = platform::acm::CodecRegistry::standard();
    registry.add(std::make_shared<Mp3AcmCodec>());
    platform::acm::CodecRegistry::setCurrent(
        std::make_shared<const platform::acm::CodecRegistry>(std::move(registry)));
}

}  // namespace mp3::acm
