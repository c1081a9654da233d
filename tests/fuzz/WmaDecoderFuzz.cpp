// libFuzzer target: arbitrary bytes as a WMA file through the reader's path
// (protection check, header, decoding, a seek). Nothing may crash or hang.
#include <cstdint>

#include "MemoryFile.h"
#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"
#include "platform/wma/av/AvAudioDecoder.h"

namespace {

void decodeAll(platform::wma::WmaDecoder& decoder) {
    for (auto block = decoder.next(); !block.empty(); block = decoder.next()) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::MemoryFile file(data, size);
    if (!file.ok()) {
        return 0;
    }
    try {
        // The decoder itself, not the module: coverage needs its code here.
        const auto decoder = platform::wma::openAvDecoder(file.path());
        decodeAll(*decoder);
        decoder->seek(decoder->info().sampleRate / 2);
        decodeAll(*decoder);
    } catch (const platform::wma::Error&) {
    }
    return 0;
}
