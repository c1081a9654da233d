// libFuzzer target: arbitrary bytes as a WMA file through the reader's path
// (protection check, header, decoding, a seek). Nothing may crash or hang.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/wma/WmaDecoder.h"
#include "platform/wma/WmaError.h"

namespace {

std::string scratchPath() {
    return "/tmp/wma-fuzz-" + std::to_string(::getpid()) + ".wma";
}

void decodeAll(platform::wma::WmaDecoder& decoder) {
    for (auto block = decoder.next(); !block.empty(); block = decoder.next()) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = scratchPath();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        platform::wma::WmaDecoder decoder(path);
        decodeAll(decoder);
        decoder.seek(decoder.info().sampleRate / 2);
        decodeAll(decoder);
    } catch (const platform::wma::Error&) {
    }
    return 0;
}
