// libFuzzer target: arbitrary text as an M3U playlist, read as paths and as records.
#include "PlaylistReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mdbfuzz::readAll(mdb::kFormatM3u, data, size);
    return 0;
}
