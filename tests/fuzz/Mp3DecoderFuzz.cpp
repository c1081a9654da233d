// libFuzzer target: arbitrary bytes through the analysis and the decoder,
// with every output kind and option set, fed in uneven chunks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mp3/Mp3Decoder.h"
#include "mp3/Mp3FileAnalysis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t options = data[0];
    ++data;
    --size;
    mp3::Mp3FileAnalysis analysis;
    if (analysis.analyse(data, size, size)) {
        analysis.timeToOffset(options * 1000.0);
        analysis.percentToOffset(options % 101);
    }
    std::unique_ptr<mp3::IMp3Decoder> decoder;
    mp3::createMp3Decoder(options & 1, (options >> 1) & 3, (options >> 3) & 1, &decoder);
    std::vector<uint8_t> out(mp3::kMaxFrameSamples * 2 * sizeof(float));
    const size_t chunk = 1 + (options >> 4) * 97;
    size_t fed = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        if (fed < size) {
            fed += decoder->feed(data + fed, std::min(chunk, size - fed));
        }
        if (fed == size) {
            decoder->markFinished();
        }
        size_t written = 0;
        const mp3::Mp3Ssc code = (guard & 1)
                                     ? decoder->decodeFloat(out.data(), out.size(), &written)
                                     : decoder->decodePcm(out.data(), out.size(), &written);
        if (code == mp3::ssc::kSyncEof || decoder->atEnd()) {
            break;
        }
    }
    return 0;
}
